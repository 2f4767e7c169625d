// 生成 (the enter/leave message command) and 复制11 (copy to the clipboard).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "resources/control_ids.h"
#include "support/session.h"

namespace {

using testing_support::Session;

// The decision table over the three states, set directly on the controls (the last two rows
// and the mixed ones cannot arise from the window, but the handler decides them too).
struct Decision {
    int join, leave, remove;
    const char* command;  // null: nothing written
};
const Decision decisions[] = {
    {1, 0, 0, "/res message home enter welcome"},
    {0, 1, 0, "/res message home leave welcome"},
    {1, 0, 1, "/res message home remove enter"},
    {0, 1, 1, "/res message home remove leave"},
    {1, 1, 0, "/res message home enter welcome"},
    {1, 1, 1, "/res message home remove enter"},
    {0, 0, 0, nullptr},
    {0, 0, 1, nullptr},
};

TEST(MessageCommand, TheDecisionTable) {
    for (const Decision& d : decisions) {
        SCOPED_TRACE(std::to_string(d.join) + std::to_string(d.leave) + std::to_string(d.remove));
        Session s;
        s.type_into("领地名2", "home");
        s.type_into("消息4", "welcome");
        s.type_into("复制1", "previous");
        s.sim.set_check(s.handle("加入"), d.join);
        s.sim.set_check(s.handle("离开"), d.leave);
        s.sim.set_check(s.handle("移除消息"), d.remove);
        std::size_t allocations = s.sim.total_allocations();
        s.click("生成");
        EXPECT_EQ(s.text_of("复制1"), d.command != nullptr ? d.command : "previous");
        if (d.command == nullptr) {
            EXPECT_EQ(s.sim.total_allocations(), allocations) << "no text read";
        }
        EXPECT_EQ(s.sim.live_blocks(), 0u);
        EXPECT_TRUE(s.sim.heap_faults().empty());
    }
}

TEST(MessageCommand, ClickedStatesOfTheWindow) {
    Session s;
    s.type_into("领地名2", "home");
    s.type_into("消息4", "welcome");
    s.click("生成");
    EXPECT_EQ(s.text_of("复制1"), "/res message home enter welcome") << "the state at start";
    s.click("离开");
    s.click("生成");
    EXPECT_EQ(s.text_of("复制1"), "/res message home leave welcome");
    s.click("移除消息");
    s.click("生成");
    EXPECT_EQ(s.text_of("复制1"), "/res message home remove leave");
    s.click("加入");
    s.click("生成");
    EXPECT_EQ(s.text_of("复制1"), "/res message home remove enter");
    s.click("移除消息");
    s.click("离开");
    s.click("离开");  // a second click leaves it checked
    EXPECT_EQ(s.check_of("离开"), 1);
    s.click("加入");
    s.click("生成");
    EXPECT_EQ(s.text_of("复制1"), "/res message home enter welcome");
}

TEST(MessageCommand, EmptyFieldsGbkAndMultiLineMessages) {
    struct Case {
        const char* what;
        std::string territory, message;
        int leave, remove;
        std::string command;
    };
    const std::vector<Case> cases = {
        {"enter, empty message", "home", "", 0, 0, "/res message home enter "},
        {"leave, empty territory", "", "bye", 1, 0, "/res message  leave bye"},
        {"remove enter, all empty", "", "", 0, 1, "/res message  remove enter"},
        {"remove leave ignores the message", "home", "ignored", 1, 1, "/res message home remove leave"},
        {"GBK", "我的家", "欢迎光临", 0, 0, "/res message 我的家 enter 欢迎光临"},
        {"line breaks pass unchanged", "home", "line one\r\nline two", 1, 0,
         "/res message home leave line one\r\nline two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session s;
        s.type_into("领地名2", c.territory);
        s.type_into("消息4", c.message);
        if (c.leave) s.click("离开");
        if (c.remove) s.click("移除消息");
        s.click("生成");
        EXPECT_EQ(s.text_of("复制1"), c.command);
        EXPECT_EQ(s.sim.live_blocks(), 0u);
    }
}

// --- copying ---

TEST(Copy, PutsExactlyTheBytesAndTheTerminatingZeroAsPlainText) {
    Session s;
    s.type_into("领地名2", "我的家");
    s.type_into("消息4", "a\r\nb");
    s.click("生成");
    s.sim.put_clipboard(13, "something else");  // another program's Unicode text
    s.sim.clear_clipboard_log();
    s.click("复制11");
    std::string expected = "/res message 我的家 enter a\r\nb";
    auto bytes = s.sim.clipboard_bytes(tk::CF_TEXT_);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, expected + std::string(1, '\0'));
    EXPECT_EQ(s.sim.clipboard_formats(), std::vector<std::uint32_t>{tk::CF_TEXT_});
    const std::vector<std::string>& log = s.sim.clipboard_log();
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0].rfind("open_clipboard", 0), 0u);
    EXPECT_EQ(log[1].rfind("empty_clipboard", 0), 0u);
    EXPECT_EQ(log[2].rfind("global_alloc(0x42, " + std::to_string(expected.size() + 1) + ")", 0), 0u) << log[2];
    EXPECT_EQ(log[3].rfind("global_lock", 0), 0u);
    EXPECT_EQ(log[4].rfind("global_unlock", 0), 0u);
    EXPECT_EQ(log[5].rfind("set_clipboard_data(1,", 0), 0u) << log[5];
    EXPECT_EQ(log[6].rfind("close_clipboard", 0), 0u);
    EXPECT_TRUE(s.sim.clipboard_faults().empty());
    EXPECT_EQ(s.sim.live_blocks(), 0u);
    EXPECT_FALSE(s.sim.clipboard_open());
}

TEST(Copy, AnEmptyOutputPutsAnEmptyText) {
    Session s;
    s.sim.put_clipboard(tk::CF_TEXT_, "old");
    s.click("复制11");
    EXPECT_EQ(s.sim.clipboard_bytes(tk::CF_TEXT_), std::string(1, '\0'));
    s.click("复制11");  // twice: the same text, nothing accumulates
    EXPECT_EQ(s.sim.clipboard_bytes(tk::CF_TEXT_), std::string(1, '\0'));
}

TEST(Copy, WhileAnotherProgramHoldsTheClipboardNothingChanges) {
    Session s;
    s.sim.put_clipboard(tk::CF_TEXT_, "theirs");
    s.click("列出所有领地");
    s.sim.hold_clipboard(true);
    s.sim.clear_clipboard_log();
    s.click("复制11");
    ASSERT_EQ(s.sim.clipboard_log().size(), 1u) << "opened once, neither emptied nor closed";
    EXPECT_EQ(s.sim.clipboard_bytes(tk::CF_TEXT_), std::string("theirs"));
    EXPECT_EQ(s.sim.live_blocks(), 0u);
    s.sim.hold_clipboard(false);
    s.click("复制11");
    EXPECT_EQ(s.sim.clipboard_bytes(tk::CF_TEXT_), std::string("/res listall") + '\0');
}

TEST(Copy, WhenTheBlockCannotBeAllocatedTheClipboardIsLeftEmpty) {
    Session s;
    s.sim.put_clipboard(tk::CF_TEXT_, "theirs");
    s.click("列出所有领地");
    s.sim.fail_global_alloc(true);
    s.click("复制11");
    EXPECT_TRUE(s.sim.clipboard_formats().empty());
    EXPECT_FALSE(s.sim.clipboard_open());
    EXPECT_EQ(s.sim.live_blocks(), 0u);
}

TEST(Copy, TheBuiltinReportsItsFlagAndRejectsOtherTypes) {
    Session s;
    frame::TypedValue arg;
    const char text[] = "abc";
    arg.value = reinterpret_cast<std::uintptr_t>(text);
    arg.type = frame::TYPE_TEXT;
    EXPECT_EQ(frame::call_builtin(commands::clipboard_builtin, 1, &arg).value, 1u);
    s.sim.hold_clipboard(true);
    EXPECT_EQ(frame::call_builtin(commands::clipboard_builtin, 1, &arg).value, 0u);
    s.sim.hold_clipboard(false);
    arg.type = 0x80000001;
    s.sim.clear_clipboard_log();
    EXPECT_EQ(frame::call_builtin(commands::clipboard_builtin, 1, &arg).value, 0u);
    EXPECT_TRUE(s.sim.clipboard_log().empty());
}

}  // namespace
