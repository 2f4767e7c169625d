// The 21 command buttons, clicked through the sim: each writes exactly its command into 复制1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "support/session.h"

namespace {

using testing_support::Session;

// The catalogue as a user sees it: button name, then the pieces of its command where T is the
// territory name and P the player name.
struct Row {
    const char* button;
    const char* literal;
    bool territory, player;
    const char* trailing;
};

const Row catalogue[] = {
    {"查看领地", "/res", false, false, ""},
    {"列出所有领地", "/res listall", false, false, ""},
    {"显示领地限制", "/res limits", false, false, ""},
    {"传送世界上随机位置", "/res rt", false, false, ""},
    {"查看圈地领地大小和金钱", "/res select size", false, false, ""},
    {"显示领地边界", "/res show", false, false, ""},
    {"设置领地权限", "/res set", false, false, ""},
    {"设置领地传送点", "/res tpset", false, false, ""},
    {"创建领地", "/res create ", true, false, ""},
    {"删除领地", "/res remove ", true, false, ""},
    {"显示领地信息", "/res info ", true, false, ""},
    {"加入领地聊天频道", "/res rc ", true, false, ""},
    {"以自身为中心创建最大领地", "/res auto ", true, false, ""},
    {"传送到领地", "/res tp ", true, false, ""},
    {"重置领地所有权限", "/res reset ", true, false, ""},
    {"查看玩家所有领地", "/res list ", false, true, ""},
    {"给予玩家领地", "/res give ", true, true, ""},
    {"给玩家添加领地基础权限", "/res padd ", true, true, ""},
    {"删除玩家领地基础权限", "/res pdel ", true, true, ""},
    {"查看权限列表", "/res pset ", true, true, ""},
    {"查看权限列表1", "/res pset ", true, true, " removeall"},
};

std::string expected(const Row& row, const std::string& territory, const std::string& player) {
    std::string s = row.literal;
    if (row.territory) s += territory;
    if (row.territory && row.player) s += " ";
    if (row.player) s += player;
    return s + row.trailing;
}

struct Inputs {
    const char* what;
    std::string territory, player, before;
};

const std::vector<Inputs> input_cases = {
    {"both empty", "", "", ""},
    {"plain", "home", "guest", ""},
    {"spaces inside and around", "  my home ", " a b ", ""},
    {"GBK Chinese", "我的家", "玩家甲", ""},
    {"replaces a multi-line output", "home", "guest", "line one\r\nline two\r\nline three"},
};

TEST(Commands, EveryButtonWritesItsCommandForEveryInput) {
    for (const Inputs& in : input_cases) {
        Session s;
        s.type_into("领地名2", in.territory);
        s.type_into("玩家名", in.player);
        for (const Row& row : catalogue) {
            SCOPED_TRACE(std::string(in.what) + " / button #" + std::to_string(&row - catalogue));
            if (!in.before.empty()) s.type_into("复制1", in.before);
            ASSERT_TRUE(s.click(row.button));
            EXPECT_EQ(s.text_of("复制1"), expected(row, in.territory, in.player));
            // Inputs are read, never changed.
            EXPECT_EQ(s.text_of("领地名2"), in.territory);
            EXPECT_EQ(s.text_of("玩家名"), in.player);
            EXPECT_EQ(s.sim.live_blocks(), 0u) << "a Text was left allocated";
        }
        EXPECT_TRUE(s.sim.heap_faults().empty()) << "a Text was released twice or was foreign";
    }
}

TEST(Commands, EdgeCasesOfTheCatalogue) {
    Session s;
    s.click("删除领地");
    EXPECT_EQ(s.text_of("复制1"), "/res remove ");
    s.click("给予玩家领地");
    EXPECT_EQ(s.text_of("复制1"), "/res give  ");  // the literal's space and the separator
    s.type_into("领地名2", "home");
    s.type_into("玩家名", "guest");
    s.click("查看权限列表1");
    EXPECT_EQ(s.text_of("复制1"), "/res pset home guest removeall");
    s.click("查看权限列表");
    EXPECT_EQ(s.text_of("复制1"), "/res pset home guest");
    s.click("查看玩家所有领地");
    EXPECT_EQ(s.text_of("复制1"), "/res list guest");  // the territory name is not read
    s.click("查看玩家所有领地");
    EXPECT_EQ(s.text_of("复制1"), "/res list guest");  // twice: the same, nothing grows
}

TEST(Commands, GbkBytesPassVerbatimAndLengthsCountBytes) {
    Session s;
    const std::string territory = "\xC1\xEC\xB5\xD8";  // 领地 in GBK: four bytes
    s.type_into("领地名2", territory);
    s.click("创建领地");
    EXPECT_EQ(s.text_of("复制1"), "/res create " + territory);
    EXPECT_EQ(s.text_of("复制1").size(), 12u + 4u);
}

TEST(Commands, ClicksWhileEventsAreBlockedRunNoHandler) {
    Session s;
    s.type_into("复制1", "kept");
    frame::block_events();
    s.click("列出所有领地");
    frame::unblock_events();
    EXPECT_EQ(s.text_of("复制1"), "kept");
    s.click("列出所有领地");
    EXPECT_EQ(s.text_of("复制1"), "/res listall");
}

// --- join_texts ---

TEST(JoinTexts, JoinsVerbatimAndAllocatesOnce) {
    Session s;
    std::size_t before = s.sim.total_allocations();
    frame::Text t = commands::join_texts({"/res give ", nullptr, " ", "", "a\r\nb"});
    EXPECT_STREQ(t, "/res give  a\r\nb");
    EXPECT_EQ(s.sim.total_allocations(), before + 1);
    frame::release_text(t);
    frame::Text empty = commands::join_texts({nullptr, ""});
    ASSERT_NE(empty, nullptr);  // never absent: an empty Text
    EXPECT_STREQ(empty, "");
    frame::release_text(empty);
    EXPECT_EQ(s.sim.live_blocks(), 0u);
}

TEST(JoinTexts, ExhaustedMemoryIsTheFatalErrorNamingTheByteCount) {
    Session s;
    int end_routine_runs = 0;
    static int* runs = nullptr;
    runs = &end_routine_runs;
    frame::register_end_routine([] { ++*runs; });
    s.sim.fail_allocation(1);
    try {
        commands::join_texts({"/res create ", "home"});
        FAIL() << "join_texts returned although the heap failed";
    } catch (const sim::ProcessExit& e) {
        EXPECT_EQ(e.code, -1);
    }
    ASSERT_EQ(s.sim.message_boxes().size(), 1u);
    EXPECT_NE(s.sim.message_boxes()[0].text.find("17"), std::string::npos)
        << "the box names the 17 bytes asked for";
    EXPECT_EQ(s.sim.message_boxes()[0].flags & 0x10u, 0x10u);  // the error icon
    EXPECT_EQ(end_routine_runs, 0) << "end routines do not run after a fatal error";
}

}  // namespace
