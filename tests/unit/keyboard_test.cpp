// The window's keyboard: the focus ring, Tab and Shift+Tab, arrows on the radio buttons,
// Enter, Esc, F1, access keys and the focus remembered across deactivation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/control_ids.h"
#include "support/session.h"
#include "window/keyboard.h"
#include "window/open_window.h"

namespace {

using testing_support::Session;

const std::vector<std::string> ring_order = {
    "复制1", "复制11", "领地名2", "创建领地", "以自身为中心创建最大领地", "玩家名",
    "给玩家添加领地基础权限", "删除玩家领地基础权限", "给予玩家领地", "显示领地信息", "加入", "离开",
    "消息4", "生成", "移除消息", "删除领地", "加入领地聊天频道", "传送到领地", "重置领地所有权限",
    "设置领地传送点", "设置领地权限", "显示领地边界", "列出所有领地", "查看领地", "显示领地限制",
    "查看圈地领地大小和金钱", "传送世界上随机位置", "查看权限列表", "查看权限列表1", "查看玩家所有领地",
};

TEST(Keyboard, TheRingHasThirtyMembersInListOrderFromTheBottom) {
    Session s;
    std::vector<std::string> names;
    for (const form::UnitRecord* u : ui::focus_ring(s.main_template())) names.push_back(u->name);
    EXPECT_EQ(names, ring_order);
}

TEST(Keyboard, TabWalksTheWholeRingAndWraps) {
    Session s;
    ASSERT_EQ(s.focused_name(), "复制1");
    for (std::size_t i = 1; i <= ring_order.size(); ++i) {
        s.sim.press_key(tk::VK_TAB_);
        EXPECT_EQ(s.focused_name(), ring_order[i % ring_order.size()]) << "after " << i << " Tabs";
    }
    EXPECT_EQ(s.text_of("复制1"), "") << "Tab never reaches the multi-line field as a character";
}

TEST(Keyboard, ShiftTabWalksBackwardsAndWraps) {
    Session s;
    s.sim.press_key(tk::VK_TAB_, {.shift = true});
    EXPECT_EQ(s.focused_name(), "查看玩家所有领地");
    s.sim.press_key(tk::VK_TAB_, {.shift = true});
    EXPECT_EQ(s.focused_name(), "查看权限列表1");
    s.sim.press_key(tk::VK_TAB_);
    s.sim.press_key(tk::VK_TAB_);
    EXPECT_EQ(s.focused_name(), "复制1");
}

TEST(Keyboard, AFocusedControlOutsideTheRingMovesToTheNearestMemberAtOrBelowIt) {
    Session s;
    // A label is not a member; 标签21 is list position 30, so Tab goes to 给予玩家领地 (29)
    // and Shift+Tab to the member before that one, 显示领地信息 (28) being after it in the ring.
    s.sim.set_focus(s.handle("标签21"));
    s.sim.press_key(tk::VK_TAB_);
    EXPECT_EQ(s.focused_name(), "给予玩家领地");
    s.sim.set_focus(s.handle("标签21"));
    s.sim.press_key(tk::VK_TAB_, {.shift = true});
    EXPECT_EQ(s.focused_name(), "删除玩家领地基础权限");
    // 分组框1 is the last list position: every member lies at or below it, the first wins.
    s.sim.set_focus(s.handle("分组框1"));
    s.sim.press_key(tk::VK_TAB_);
    EXPECT_EQ(s.focused_name(), "复制1");
}

TEST(Keyboard, ArrowsMoveTheCheckBetweenTheRadioButtonsAndWrap) {
    for (std::uint32_t forward : {tk::VK_RIGHT_, tk::VK_DOWN_}) {
        Session s;
        s.sim.set_focus(s.handle("加入"));
        s.sim.press_key(forward);
        EXPECT_EQ(s.focused_name(), "离开");
        EXPECT_EQ(s.check_of("离开"), 1);
        EXPECT_EQ(s.check_of("加入"), 0);
        s.sim.press_key(forward);
        EXPECT_EQ(s.focused_name(), "加入");
        EXPECT_EQ(s.check_of("加入"), 1);
        EXPECT_EQ(s.check_of("离开"), 0);
        EXPECT_EQ(s.text_of("复制1"), "") << "no handler runs";
    }
    Session s;
    s.sim.set_focus(s.handle("加入"));
    s.sim.press_key(tk::VK_LEFT_);
    EXPECT_EQ(s.focused_name(), "离开");
    s.sim.press_key(tk::VK_UP_);
    EXPECT_EQ(s.focused_name(), "加入");
}

TEST(Keyboard, ArrowsOnOtherControlsGoToTheControl) {
    Session s;
    s.sim.set_focus(s.handle("创建领地"));
    s.sim.press_key(tk::VK_RIGHT_);
    EXPECT_EQ(s.focused_name(), "创建领地");
    EXPECT_EQ(s.check_of("加入"), 1);
}

TEST(Keyboard, EnterDoesNothingOutsideTheMultiLineFields) {
    Session s;
    s.type_into("领地名2", "home");
    s.sim.set_focus(s.handle("领地名2"));
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.focused_name(), "领地名2");
    EXPECT_EQ(s.text_of("领地名2"), "home");
    EXPECT_EQ(s.text_of("复制1"), "") << "no button was clicked";
    s.sim.set_focus(s.handle("创建领地"));
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.text_of("复制1"), "") << "not a default push button";
}

TEST(Keyboard, EnterInTheMultiLineFieldsIsALineBreak) {
    Session s;
    s.sim.set_focus(s.handle("消息4"));
    s.sim.type_chars("hello");
    s.sim.press_key(tk::VK_RETURN_);
    s.sim.type_chars("world");
    EXPECT_EQ(s.text_of("消息4"), "hello\r\nworld");
    s.sim.set_focus(s.handle("复制1"));
    s.sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(s.text_of("复制1"), "\r\n");
}

TEST(Keyboard, EscClosesTheWindowEvenFromAnEditField) {
    Session s;
    s.sim.set_focus(s.handle("领地名2"));
    tk::Handle w = s.window();
    s.sim.press_key(tk::VK_ESCAPE_);
    EXPECT_FALSE(s.sim.exists(w));
    EXPECT_FALSE(ui::any_window_open());
}

TEST(Keyboard, EscThroughTheEventLoopEndsItWithCodeZero) {
    Session s;
    s.sim.post_chars("x");  // typed into 复制1, which has the focus
    s.sim.post_key(tk::VK_ESCAPE_);
    frame::run_event_loop();
    EXPECT_FALSE(s.sim.starved());
    EXPECT_EQ(frame::exit_code_of_loop(), 0);
    EXPECT_FALSE(ui::any_window_open());
}

TEST(Keyboard, TheFocusIsRememberedAcrossDeactivation) {
    Session s;
    s.sim.set_focus(s.handle("玩家名"));
    s.sim.deactivate(s.window());
    s.sim.activate(s.window());
    EXPECT_EQ(s.focused_name(), "玩家名");
}

TEST(Keyboard, F1AndAccessKeysDoNothingInThisWindow) {
    Session s;
    s.sim.add_file("C:\\territory\\territory.hlp");
    s.sim.press_key(tk::VK_F1_);
    EXPECT_TRUE(s.sim.help_requests().empty()) << "f1_opens_help is 0 here";
    s.sim.press_key('C', {.alt = true});
    EXPECT_EQ(s.focused_name(), "复制1");
    EXPECT_EQ(s.text_of("复制1"), "");
}

}  // namespace
