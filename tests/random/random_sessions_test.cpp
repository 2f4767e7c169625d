// Random user sessions on the real program in the sim, checked action by action against the
// reference model; and the model itself checked against the worked examples of the tables.
//
//   random_sessions [--seed=N ...] [--actions=N] [GoogleTest flags]
//
// Without --seed the fixed default seed runs; several --seed flags run one after another.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "random/model.h"
#include "random/runner.h"

namespace {

using namespace random_sessions;

constexpr std::uint64_t DEFAULT_SEED = 20240611;
std::vector<std::uint64_t> seeds;
std::size_t action_count = 100000;

model::State with_fields(const char* territory, const char* player, const char* message = "") {
    model::State s;
    s.fields[model::TERRITORY].text = territory;
    s.fields[model::PLAYER].text = player;
    s.fields[model::MESSAGE].text = message;
    return s;
}

int ring(const char* name) { return model::member_index(name); }

// --- the model against the tables ---------------------------------------------------------

struct CommandCase {
    const char* button;
    const char* territory;
    const char* player;
    const char* expected;
};
const CommandCase command_cases[] = {
    {"删除领地", "home", "guest", "/res remove home"},
    {"删除领地", "", "guest", "/res remove "},
    {"给予玩家领地", "", "", "/res give  "},
    {"给予玩家领地", "home", "guest", "/res give home guest"},
    {"查看权限列表", "home", "guest", "/res pset home guest"},
    {"查看权限列表1", "home", "guest", "/res pset home guest removeall"},
    {"查看玩家所有领地", "home", "guest", "/res list guest"},
    {"查看领地", "home", "guest", "/res"},
    {"查看圈地领地大小和金钱", "", "", "/res select size"},
    {"以自身为中心创建最大领地", " a b ", "", "/res auto  a b "},
    {"删除玩家领地基础权限", "领地", "玩家", "/res pdel 领地 玩家"},
};

TEST(ReferenceModel, ComposesTheCataloguedCommands) {
    for (const CommandCase& c : command_cases) {
        SCOPED_TRACE(readable_name(c.button) + " " + readable(c.territory) + " " + readable(c.player));
        model::State s = with_fields(c.territory, c.player);
        s.fields[model::OUTPUT].text = "old\r\ntext";
        model::click(s, ring(c.button));
        EXPECT_EQ(s.fields[model::OUTPUT].text, c.expected);
        EXPECT_EQ(s.focus, ring(c.button));
    }
    int commands = 0;
    for (int i = 0; i < model::RING_SIZE; ++i)
        commands += model::command_of(with_fields("", ""), i).empty() ? 0 : 1;
    EXPECT_EQ(commands, 21);
}

struct MessageCase {
    bool join, leave, remove;
    const char* expected;  // null: nothing written
};
const MessageCase message_cases[] = {
    {true, false, false, "/res message home enter welcome"},
    {false, true, false, "/res message home leave welcome"},
    {true, false, true, "/res message home remove enter"},
    {false, true, true, "/res message home remove leave"},
    {true, true, false, "/res message home enter welcome"},
    {true, true, true, "/res message home remove enter"},
    {false, false, false, nullptr},
    {false, false, true, nullptr},
};

TEST(ReferenceModel, DecidesTheMessageCommand) {
    for (const MessageCase& c : message_cases) {
        SCOPED_TRACE(std::to_string(c.join) + std::to_string(c.leave) + std::to_string(c.remove));
        model::State s = with_fields("home", "", "welcome");
        s.join = c.join;
        s.leave = c.leave;
        s.remove = c.remove;
        s.fields[model::OUTPUT].text = "previous";
        model::click(s, ring("生成"));
        EXPECT_EQ(s.fields[model::OUTPUT].text, c.expected ? c.expected : "previous");
    }
}

TEST(ReferenceModel, WalksTheFocusRingAndTheRadioGroup) {
    model::State s;
    EXPECT_STREQ(model::member(s.focus).name, "复制1");
    model::tab(s, false);
    EXPECT_STREQ(model::member(s.focus).name, "复制11");
    model::tab(s, false);
    EXPECT_STREQ(model::member(s.focus).name, "领地名2");
    s.focus = ring("复制1");
    model::tab(s, true);
    EXPECT_STREQ(model::member(s.focus).name, "查看玩家所有领地");
    model::tab(s, false);
    EXPECT_STREQ(model::member(s.focus).name, "复制1");

    s.focus = ring("加入");
    model::arrow(s, true);
    EXPECT_STREQ(model::member(s.focus).name, "离开");
    EXPECT_FALSE(s.join);
    EXPECT_TRUE(s.leave);
    model::arrow(s, true);
    EXPECT_STREQ(model::member(s.focus).name, "加入");
    EXPECT_TRUE(s.join);
    EXPECT_FALSE(s.leave);

    s.focus = ring("领地名2");
    model::key_enter(s);
    EXPECT_STREQ(model::member(s.focus).name, "领地名2");
    EXPECT_EQ(s.fields[model::TERRITORY].text, "");
}

TEST(ReferenceModel, TypesAsEachFieldTakesIt) {
    model::State s;
    model::type(s, model::TERRITORY, "a\r\nb\nc\r中");
    EXPECT_EQ(s.fields[model::TERRITORY].text, "abc中") << "a single-line field ignores line breaks";
    model::type(s, model::MESSAGE, "a\r\nb\nc\r中");
    EXPECT_EQ(s.fields[model::MESSAGE].text, "a\r\nb\r\nc\r\n中");
    model::backspace(s, model::MESSAGE);
    EXPECT_EQ(s.fields[model::MESSAGE].text, "a\r\nb\r\nc\r\n") << "a two-byte character goes whole";
    model::backspace(s, model::MESSAGE);
    EXPECT_EQ(s.fields[model::MESSAGE].text, "a\r\nb\r\nc") << "a line break goes whole";

    model::click(s, ring("删除领地"));
    EXPECT_EQ(s.fields[model::OUTPUT].sel_start, 0u) << "a write leaves the caret at the start";
    model::type(s, model::OUTPUT, "x");
    EXPECT_EQ(s.fields[model::OUTPUT].text, "x/res remove abc中");

    s.clipboard_held = true;
    model::click(s, ring("复制11"));
    EXPECT_TRUE(s.clipboard.empty()) << "a held clipboard stays as it was";
    s.clipboard_held = false;
    s.clipboard[13] = "xx";
    model::click(s, ring("复制11"));
    ASSERT_EQ(s.clipboard.size(), 1u);
    EXPECT_EQ(s.clipboard[model::CF_TEXT], std::string("x/res remove abc中") + '\0');
}

// --- the program against the model --------------------------------------------------------

TEST(RandomSessions, TheProgramAgreesWithTheModel) {
    for (std::uint64_t seed : seeds) {
        std::printf("random sessions: seed %llu, %zu actions\n", static_cast<unsigned long long>(seed),
                    action_count);
        const std::vector<Action> actions = generate(seed, action_count);
        const double start = now_seconds();
        Stats stats;
        Options counting;
        counting.stats = &stats;
        const std::optional<Failure> failure = play(actions, counting);
        const double seconds = now_seconds() - start;
        std::printf("random sessions: seed %llu: %s in %.2f s\n", static_cast<unsigned long long>(seed),
                    failure ? "FAILED" : "agreed", seconds);
        std::printf("%s", stats.summary().c_str());
        std::fflush(stdout);
        if (!failure) continue;
        std::printf("first disagreement after action %zu: %s\nshrinking...\n", failure->index + 1,
                    failure->detail.c_str());
        std::fflush(stdout);
        const Shrunk shrunk = shrink(actions, *failure, {}, 180.0);
        ADD_FAILURE() << "seed " << seed << ": the program and the model disagree.\n"
                      << "Shortest failing session found (" << shrunk.actions.size() << " actions, "
                      << shrunk.replays << " replays" << (shrunk.out_of_time ? ", stopped at the time limit" : "")
                      << "):\n"
                      << listing(shrunk.actions) << "After action " << shrunk.failure.index + 1 << ": "
                      << shrunk.failure.detail << "\nReplay with: random_sessions --seed=" << seed
                      << " --actions=" << action_count;
    }
}

// The failure path itself: a planted disagreement is found and shrunk to a list from which
// no single action can be dropped.
TEST(Shrinking, ReducesAPlantedDisagreementToAOneMinimalList) {
    Options planted;
    planted.tamper = [](model::State& m, const Action&) {
        std::string& out = m.fields[model::OUTPUT].text;
        if (out.rfind("/res remove ", 0) == 0) out += "!";
    };
    const std::vector<Action> actions = generate(7, 3000);
    const std::optional<Failure> failure = play(actions, planted);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, "text of " + readable_name("复制1"));
    ASSERT_FALSE(play(actions).has_value()) << "without the plant the session agrees";

    const Shrunk shrunk = shrink(actions, *failure, planted, 60.0);
    ASSERT_FALSE(shrunk.out_of_time);
    ASSERT_FALSE(shrunk.actions.empty());
    EXPECT_LT(shrunk.actions.size(), failure->index + 1);
    const std::optional<Failure> again = play(shrunk.actions, planted);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->kind, failure->kind);
    for (std::size_t i = 0; i < shrunk.actions.size(); ++i) {
        std::vector<Action> fewer = shrunk.actions;
        fewer.erase(fewer.begin() + std::ptrdiff_t(i));
        const std::optional<Failure> f = play(fewer, planted);
        EXPECT_FALSE(f && f->kind == failure->kind) << "action " << i + 1 << " can be dropped:\n"
                                                    << listing(shrunk.actions);
    }
    std::printf("planted disagreement shrunk from %zu to %zu actions:\n%s", failure->index + 1,
                shrunk.actions.size(), listing(shrunk.actions).c_str());
}

bool take_number(const char* arg, const char* flag, unsigned long long* value) {
    const std::size_t n = std::strlen(flag);
    if (std::strncmp(arg, flag, n) != 0) return false;
    char* end = nullptr;
    *value = std::strtoull(arg + n, &end, 0);
    if (end == arg + n || *end != '\0') {
        std::fprintf(stderr, "bad number in %s\n", arg);
        std::exit(2);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        unsigned long long value = 0;
        if (take_number(argv[i], "--seed=", &value)) {
            seeds.push_back(value);
        } else if (take_number(argv[i], "--actions=", &value)) {
            action_count = std::size_t(value);
        } else {
            std::fprintf(stderr, "unknown argument %s\nusage: random_sessions [--seed=N ...] [--actions=N]\n",
                         argv[i]);
            return 2;
        }
    }
    if (seeds.empty()) seeds.push_back(DEFAULT_SEED);
    return RUN_ALL_TESTS();
}
