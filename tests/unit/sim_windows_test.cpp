// The sim backend's windows, input, focus, destruction, event loop and painting, seen through
// a small Events that records every notification and routes commands back to the child.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/sim/sim.h"

namespace {

constexpr std::uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000,
                        WS_BORDER = 0x00800000, WS_DLGFRAME = 0x00400000, WS_CAPTION = 0x00C00000,
                        WS_THICKFRAME = 0x00040000, WS_SYSMENU = 0x00080000,
                        WS_CLIPCHILDREN = 0x02000000, WS_MINIMIZEBOX = 0x00020000;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x80, WS_EX_CLIENTEDGE = 0x200,
                        WS_EX_STATICEDGE = 0x20000;
constexpr std::uint32_t BS_PUSHBUTTON = 0, BS_AUTOCHECKBOX = 3, BS_RADIOBUTTON = 4, BS_3STATE = 5,
                        BS_AUTO3STATE = 6, BS_GROUPBOX = 7, BS_AUTORADIOBUTTON = 9;
constexpr std::uint32_t ES_MULTILINE = 0x4, ES_UPPERCASE = 0x8, ES_LOWERCASE = 0x10,
                        ES_READONLY = 0x800, ES_WANTRETURN = 0x1000, ES_NUMBER = 0x2000;
constexpr std::uint32_t kMainStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr std::uint16_t BN_CLICKED = tk::BN_CLICKED_, EN_CHANGE = tk::EN_CHANGE_,
                        EN_UPDATE = sim::EN_UPDATE_, EN_MAXTEXT = sim::EN_MAXTEXT_,
                        EN_SETFOCUS = tk::EN_SETFOCUS_, EN_KILLFOCUS = tk::EN_KILLFOCUS_;

// Records the notifications by the names the test gave the handles; a command is routed back
// to the child that sent it, as the program's window layer does.
struct Recorder final : tk::Events {
    std::map<tk::Handle, std::string> names;
    std::vector<std::string> calls;
    std::map<tk::Handle, std::vector<std::uint16_t>> routed;  // codes each child got back
    std::vector<tk::KeyPress> keys;
    std::function<bool(const tk::KeyPress&)> on_key;
    std::function<void(tk::Handle, std::uint16_t)> on_command;
    std::function<bool(tk::Handle)> on_close;
    std::function<void(tk::Handle, bool)> on_activate;
    std::function<void(tk::Handle)> on_destroying;
    std::function<bool(tk::Canvas&, const tk::Rect&)> painter;
    std::optional<tk::ColorAnswer> color_answer;

    std::string name(tk::Handle h) const {
        auto it = names.find(h);
        return it != names.end() ? it->second : h ? "?" : "null";
    }
    std::vector<std::string> starting(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    void command(tk::Handle container, tk::Handle child, std::uint16_t code) override {
        calls.push_back("command " + name(container) + " " + name(child) + " " +
                        std::to_string(code));
        routed[child].push_back(code);
        if (on_command) on_command(child, code);
    }
    bool color(tk::Handle container, tk::Handle child, tk::ColorAnswer& answer) override {
        calls.push_back("color " + name(container) + " " + name(child));
        if (!color_answer) return false;
        answer = *color_answer;
        return true;
    }
    bool paint(tk::Handle window, tk::Canvas& canvas, const tk::Rect& dirty) override {
        calls.push_back("paint " + name(window));
        return painter ? painter(canvas, dirty) : false;
    }
    bool erase(tk::Handle window, tk::Canvas& canvas) override {
        calls.push_back("erase " + name(window));
        return painter ? painter(canvas, {}) : false;
    }
    void focus(tk::Handle window, bool gained) override {
        calls.push_back(std::string("focus ") + name(window) + (gained ? " +" : " -"));
    }
    void activate(tk::Handle window, bool active) override {
        calls.push_back(std::string("activate ") + name(window) + (active ? " +" : " -"));
        if (on_activate) on_activate(window, active);
    }
    void moved(tk::Handle window) override { calls.push_back("moved " + name(window)); }
    void resized(tk::Handle window) override { calls.push_back("resized " + name(window)); }
    bool close_requested(tk::Handle window) override {
        calls.push_back("close " + name(window));
        return on_close ? on_close(window) : true;
    }
    void destroying(tk::Handle window) override {
        calls.push_back("destroying " + name(window));
        if (on_destroying) on_destroying(window);
    }
    void destroyed(tk::Handle window) override { calls.push_back("destroyed " + name(window)); }
    bool pre_translate(const tk::KeyPress& key) override {
        keys.push_back(key);
        calls.push_back("key " + name(key.target) + " " + std::to_string(key.vk));
        return on_key ? on_key(key) : false;
    }
    void spin(tk::Handle updown, int delta) override {
        calls.push_back("spin " + name(updown) + " " + std::to_string(delta));
    }
};

struct SimFixture : ::testing::Test {
    sim::SimToolkit sim;
    Recorder ev;
    tk::Handle window = nullptr;

    void SetUp() override {
        sim.set_events(&ev);
        window = make(tk::kWindowClass, kMainStyle, nullptr, "window", {207, 199, 609, 369});
        sim.show(window, tk::Show::show);
        ev.calls.clear();
    }

    tk::Handle make(const char* cls, std::uint32_t style, tk::Handle parent, std::string name,
                    tk::Rect r = {10, 10, 80, 24}, std::int32_t id = 0, std::string text = {}) {
        tk::CreateSpec spec;
        spec.class_name = cls;
        spec.style = style | (parent ? WS_CHILD | WS_VISIBLE : 0);
        spec.rect = r;
        spec.parent = parent;
        spec.child_id = id;
        spec.text = std::move(text);
        tk::Handle h = sim.create(spec);
        if (h) ev.names[h] = std::move(name);
        return h;
    }
    tk::Handle button(std::uint32_t type, tk::Handle parent, std::string name) {
        return make(tk::kButtonClass, type, parent, std::move(name));
    }
    tk::Handle edit(std::uint32_t style, tk::Handle parent, std::string name) {
        return make(tk::kEditClass, style, parent, std::move(name));
    }
    int count(tk::Handle child, std::uint16_t code) {
        const auto& codes = ev.routed[child];
        return int(std::count(codes.begin(), codes.end(), code));
    }
};

// ===== creation and metrics =====

using SimCreate = SimFixture;

TEST_F(SimCreate, RefusesUnknownClassesAndChildrenWithoutParent) {
    tk::Handle dead = make(tk::kButtonClass, 0, window, "dead");
    sim.destroy(dead);
    struct Case {
        const char* cls;
        std::uint32_t style;
        tk::Handle parent;
        bool created;
    } cases[] = {
        {"STATIC", WS_CHILD, window, false},
        {nullptr, WS_CHILD, window, false},
        {tk::kButtonClass, WS_CHILD, nullptr, false},
        {tk::kButtonClass, WS_CHILD, dead, false},
        {tk::kButtonClass, WS_CHILD, window, true},
        {"button", WS_CHILD, window, true},  // class names match case-blind
        {tk::kEditClass, WS_CHILD, window, true},
        {tk::kUpDownClass, WS_CHILD, window, true},
        {tk::kLabelClass, WS_CHILD, window, true},
        {tk::kOwnerClass, 0, nullptr, true},
        {tk::kWindowClass, kMainStyle, nullptr, true},
    };
    for (const Case& c : cases) {
        tk::CreateSpec spec;
        spec.class_name = c.cls;
        spec.style = c.style;
        spec.parent = c.parent;
        const std::size_t before = sim.object_count();
        tk::Handle h = sim.create(spec);
        EXPECT_EQ(h != nullptr, c.created) << (c.cls ? c.cls : "null");
        EXPECT_EQ(sim.object_count(), before + (c.created ? 1 : 0));
        if (h && c.cls) {
            EXPECT_TRUE(sim.exists(h));
        }
    }
    EXPECT_EQ(sim.class_name(sim.find_child(window, 0)), "BUTTON");
}

TEST_F(SimCreate, RefusesTheNthCreateOnly) {
    sim.refuse_create_after(3);
    EXPECT_NE(button(BS_PUSHBUTTON, window, "1"), nullptr);
    EXPECT_NE(button(BS_PUSHBUTTON, window, "2"), nullptr);
    EXPECT_EQ(button(BS_PUSHBUTTON, window, "3"), nullptr);
    EXPECT_NE(button(BS_PUSHBUTTON, window, "4"), nullptr);
    EXPECT_EQ(sim.children(window).size(), 3u);
}

TEST_F(SimCreate, ClientAreaIsWhatTheFrameLeaves) {
    struct Case {
        std::uint32_t style, ex_style;
        bool child;
        std::int32_t width, height;
    } cases[] = {
        {kMainStyle, 0, false, 609 - 6, 369 - 6 - 19},
        {WS_DLGFRAME, 0, false, 603, 363},
        {WS_CAPTION | WS_THICKFRAME, 0, false, 601, 342},
        {WS_CAPTION, WS_EX_TOOLWINDOW, false, 603, 369 - 6 - 15},
        {WS_CAPTION, WS_EX_CLIENTEDGE, false, 599, 369 - 10 - 19},
        {0, 0, false, 609, 369},
        {WS_BORDER, 0, true, 607, 367},
        {0, WS_EX_CLIENTEDGE, true, 605, 365},
        {0, WS_EX_STATICEDGE, true, 607, 367},
        {0, 0, true, 609, 369},
    };
    for (const Case& c : cases) {
        tk::CreateSpec spec;
        spec.class_name = tk::kWindowClass;
        spec.style = c.style | (c.child ? WS_CHILD : 0);
        spec.ex_style = c.ex_style;
        spec.rect = {5, 6, 609, 369};
        spec.parent = c.child ? window : nullptr;
        tk::Handle h = sim.create(spec);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(sim.client_rect(h), (tk::Rect{0, 0, c.width, c.height})) << std::hex << c.style;
        EXPECT_EQ(sim.outer_rect(h), (tk::Rect{5, 6, 609, 369}));
    }
}

TEST_F(SimCreate, ScreenOriginSumsTheParentChain) {
    tk::Handle frame = make(tk::kButtonClass, BS_GROUPBOX, window, "frame", {-2, 1, 300, 200});
    tk::Handle field = make(tk::kEditClass, 0, frame, "field", {10, 20, 100, 24});
    sim.set_styles(field, sim.style(field), WS_EX_CLIENTEDGE);
    EXPECT_EQ(sim.screen_origin(window), (sim::Point{207 + 3, 199 + 3 + 19}));
    EXPECT_EQ(sim.screen_origin(frame), (sim::Point{210 - 2, 221 + 1}));
    EXPECT_EQ(sim.screen_origin(field), (sim::Point{208 + 10 + 2, 222 + 20 + 2}));
}

TEST_F(SimCreate, ScreenAndWorkAreaFollowTheSetting) {
    EXPECT_EQ(sim.screen(), (tk::Rect{0, 0, 1024, 768}));
    EXPECT_EQ(sim.work_area(window), (tk::Rect{0, 0, 1024, 738}));
    sim.set_screen(600, 400);
    EXPECT_EQ(sim.screen(), (tk::Rect{0, 0, 600, 400}));
    EXPECT_EQ(sim.work_area(nullptr), (tk::Rect{0, 0, 600, 370}));
}

TEST_F(SimCreate, MovingReportsOnlyWhatChangedAndOnlyForProgramClasses) {
    tk::Handle field = edit(0, window, "field");
    sim.move(window, {207, 199, 609, 369});
    sim.move(window, {0, 199, 609, 369});
    sim.move(window, {0, 199, 700, 369});
    sim.move(window, {1, 2, 3, 4});
    sim.move(field, {0, 0, 10, 10});
    EXPECT_EQ(ev.calls, (std::vector<std::string>{"moved window", "resized window", "moved window",
                                                  "resized window"}));
    EXPECT_EQ(sim.outer_rect(field), (tk::Rect{0, 0, 10, 10}));
}

TEST_F(SimCreate, StackingPutsChildrenBelowTheNamedSibling) {
    tk::Handle a = button(0, window, "a"), b = button(0, window, "b"), c = button(0, window, "c");
    EXPECT_EQ(sim.children(window), (std::vector<tk::Handle>{a, b, c}));  // creation order
    sim.place_below(a, nullptr);
    sim.place_below(c, a);
    EXPECT_EQ(sim.children(window), (std::vector<tk::Handle>{a, c, b}));
    sim.place_below(a, b);
    EXPECT_EQ(sim.children(window), (std::vector<tk::Handle>{c, b, a}));
    tk::Handle stranger = button(0, button(0, window, "other"), "stranger");
    sim.place_below(c, stranger);  // not a sibling: nothing moves
    EXPECT_EQ(sim.children(window)[0], c);
}

// ===== buttons =====

using SimButtons = SimFixture;

TEST_F(SimButtons, AutomaticRadioButtonsFormOneGroupPerParent) {
    tk::Handle left = make(tk::kButtonClass, BS_GROUPBOX, window, "left");
    tk::Handle right = make(tk::kButtonClass, BS_GROUPBOX, window, "right");
    tk::Handle a1 = button(BS_AUTORADIOBUTTON, left, "a1");
    tk::Handle a2 = button(BS_AUTORADIOBUTTON, left, "a2");
    tk::Handle b1 = button(BS_AUTORADIOBUTTON, right, "b1");
    tk::Handle box = button(BS_AUTOCHECKBOX, left, "box");
    sim.set_check(box, 1);

    EXPECT_TRUE(sim.click(b1));
    EXPECT_TRUE(sim.click(a1));
    EXPECT_EQ(sim.check(a1), 1);
    EXPECT_EQ(sim.check(b1), 1);  // another parent: untouched
    EXPECT_TRUE(sim.click(a2));
    EXPECT_EQ(sim.check(a2), 1);
    EXPECT_EQ(sim.check(a1), 0);
    EXPECT_EQ(sim.check(b1), 1);
    EXPECT_EQ(sim.check(box), 1);  // not a radio button
    EXPECT_EQ(
        ev.starting("command"),
        (std::vector<std::string>{"command right b1 0", "command left a1 0", "command left a2 0"}));
}

TEST_F(SimButtons, ReparentedRadioButtonsJoinTheirNewParentsGroup) {
    tk::Handle frame = make(tk::kButtonClass, BS_GROUPBOX, window, "frame");
    tk::Handle a = button(BS_AUTORADIOBUTTON, window, "a");
    tk::Handle b = button(BS_AUTORADIOBUTTON, window, "b");
    sim.set_parent(a, frame);
    sim.set_parent(b, frame);
    sim.click(a);
    sim.click(b);
    EXPECT_EQ(sim.check(a), 0);
    EXPECT_EQ(sim.check(b), 1);
    EXPECT_EQ(ev.starting("command"),
              (std::vector<std::string>{"command frame a 0", "command frame b 0"}));
}

TEST_F(SimButtons, SetCheckTouchesOnlyThatButtonAndClampsToItsKind) {
    tk::Handle a = button(BS_AUTORADIOBUTTON, window, "a");
    tk::Handle b = button(BS_AUTORADIOBUTTON, window, "b");
    sim.set_check(a, 1);
    sim.set_check(b, 1);
    EXPECT_EQ(sim.check(a), 1);  // BM_SETCHECK does not uncheck the group
    EXPECT_TRUE(ev.starting("command").empty());

    struct Case {
        std::uint32_t type;
        int set, expected;
    } cases[] = {
        {BS_PUSHBUTTON, 1, 0}, {BS_AUTOCHECKBOX, 1, 1}, {BS_AUTOCHECKBOX, 2, 1},
        {BS_3STATE, 2, 2},     {BS_AUTO3STATE, 7, 2},   {BS_RADIOBUTTON, 1, 1},
        {BS_GROUPBOX, 1, 0},   {BS_AUTOCHECKBOX, 0, 0},
    };
    for (const Case& c : cases) {
        tk::Handle h = button(c.type, window, "x");
        sim.set_check(h, c.set);
        EXPECT_EQ(sim.check(h), c.expected) << c.type << " " << c.set;
    }
    EXPECT_EQ(sim.check(edit(0, window, "e")), 0);
}

TEST_F(SimButtons, AutomaticCheckBoxesCycleTheirStatesBeforeNotifying) {
    tk::Handle two = button(BS_AUTOCHECKBOX, window, "two");
    tk::Handle three = button(BS_AUTO3STATE, window, "three");
    tk::Handle plain = button(BS_RADIOBUTTON, window, "plain");  // not automatic
    std::vector<int> seen;
    ev.on_command = [&](tk::Handle child, std::uint16_t) { seen.push_back(sim.check(child)); };
    for (int i = 0; i < 3; ++i) sim.click(two);
    for (int i = 0; i < 3; ++i) sim.click(three);
    sim.click(plain);
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 1, 2, 0, 0}));
    EXPECT_EQ(count(two, BN_CLICKED), 3);
    EXPECT_EQ(count(plain, BN_CLICKED), 1);
}

TEST_F(SimButtons, ClicksThatCannotReachTheButtonDoNothing) {
    struct Case {
        const char* what;
        std::function<void(tk::Handle box, tk::Handle frame)> arrange;
    } cases[] = {
        {"hidden", [&](tk::Handle box, tk::Handle) { sim.show(box, tk::Show::hide); }},
        {"disabled", [&](tk::Handle box, tk::Handle) { sim.enable(box, false); }},
        {"disabled by style",
         [&](tk::Handle box, tk::Handle) { sim.set_styles(box, sim.style(box) | WS_DISABLED, 0); }},
        {"parent hidden", [&](tk::Handle, tk::Handle frame) { sim.show(frame, tk::Show::hide); }},
        {"parent disabled", [&](tk::Handle, tk::Handle frame) { sim.enable(frame, false); }},
        {"window hidden", [&](tk::Handle, tk::Handle) { sim.show(window, tk::Show::hide); }},
        {"destroyed", [&](tk::Handle box, tk::Handle) { sim.destroy(box); }},
    };
    for (const Case& c : cases) {
        sim.show(window, tk::Show::show);
        tk::Handle frame = make(tk::kLabelClass, 0, window, "frame");
        tk::Handle box = button(BS_AUTOCHECKBOX, frame, "box");
        c.arrange(box, frame);
        ev.calls.clear();
        EXPECT_FALSE(sim.click(box)) << c.what;
        EXPECT_EQ(sim.check(box), 0) << c.what;
        EXPECT_TRUE(ev.starting("command").empty()) << c.what;
        EXPECT_NE(sim.focus(), box) << c.what;
    }
    tk::Handle group = button(BS_GROUPBOX, window, "group");  // clicks go through a group box
    EXPECT_FALSE(sim.click(group));
    EXPECT_TRUE(ev.starting("command").empty());
}

TEST_F(SimButtons, NotificationsGoToTheParentOfTheMoment) {
    tk::Handle frame = make(tk::kButtonClass, BS_GROUPBOX, window, "frame");
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    sim.click(go);
    sim.set_parent(go, frame);
    EXPECT_EQ(sim.parent_of(go), frame);
    sim.click(go);
    tk::Handle field = edit(0, window, "field");
    sim.set_parent(field, frame);
    sim.type_text(field, "x");
    EXPECT_EQ(ev.starting("command"),
              (std::vector<std::string>{"command window go 0", "command frame go 0",
                                        "command frame field 1024", "command frame field 768"}));
    EXPECT_EQ(sim.children(frame), (std::vector<tk::Handle>{field, go}));  // each went on top
    EXPECT_EQ(sim.children(window), (std::vector<tk::Handle>{frame}));
}

TEST_F(SimButtons, SetParentRefusesToMakeAWindowItsOwnDescendant) {
    tk::Handle outer = make(tk::kLabelClass, 0, window, "outer");
    tk::Handle inner = make(tk::kLabelClass, 0, outer, "inner");
    sim.set_parent(outer, inner);
    sim.set_parent(outer, outer);
    EXPECT_EQ(sim.parent_of(outer), window);
    EXPECT_EQ(sim.parent_of(inner), outer);
}

TEST_F(SimButtons, AClickActivatesTheWindowAndFocusesTheButton) {
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    sim.deactivate(window);
    ev.calls.clear();
    sim.click(go);
    EXPECT_EQ(ev.calls,
              (std::vector<std::string>{"activate window +", "focus window +", "focus window -",
                                        "focus go +", "command window go 0"}));
    EXPECT_EQ(sim.focus(), go);
    EXPECT_EQ(sim.active_window(), window);
}

// ===== edits =====

using SimEdit = SimFixture;

TEST_F(SimEdit, TypingStopsAtTheTextLimit) {
    tk::Handle field = edit(0, window, "field");
    sim.set_text_limit(field, 5);
    sim.type_text(field, "abcdefg");
    EXPECT_EQ(sim.text(field), "abcde");
    EXPECT_EQ(count(field, EN_CHANGE), 5);
    EXPECT_EQ(count(field, EN_MAXTEXT), 2);

    // A two-byte character that does not fit is refused whole.
    sim.set_text_limit(field, 6);
    sim.type_text(field, "领");
    EXPECT_EQ(sim.text(field), "abcde");
    sim.set_text_limit(field, 7);
    sim.type_text(field, "领");
    EXPECT_EQ(sim.text(field), "abcde领");
    EXPECT_EQ(count(field, EN_CHANGE), 6);  // one per character, not per byte

    // set_text is not limited; typing over the limit then is refused.
    sim.set_text(field, "0123456789");
    EXPECT_EQ(sim.text(field), "0123456789");
    sim.type_text(field, "x");
    EXPECT_EQ(sim.text(field), "0123456789");

    sim.set_text_limit(field, 0);  // the system maximum
    EXPECT_EQ(sim.object(field)->text_limit, sim::kMaxTextLimit);
    sim.type_text(field, "x");
    EXPECT_EQ(sim.text(field), "x0123456789");
}

TEST_F(SimEdit, DefaultLimitIsThe32767Characters) {
    tk::Handle field = edit(0, window, "field");
    sim.set_text(field, std::string(32766, 'a'));
    sim.set_selection(field, 32766, 32766);
    sim.type_text(field, "bc");
    EXPECT_EQ(sim.text(field).size(), 32767u);
    EXPECT_EQ(sim.text(field).back(), 'b');
}

TEST_F(SimEdit, ReadOnlyFieldsTakeNoTyping) {
    tk::Handle field = edit(ES_READONLY | ES_MULTILINE | ES_WANTRETURN, window, "field");
    sim.set_text(field, "keep");
    ev.calls.clear();
    sim.type_text(field, "abc\r\n\b");
    sim.set_focus(field);
    sim.press_key(tk::VK_RETURN_);
    sim.press_key(tk::VK_BACK_);
    EXPECT_EQ(sim.text(field), "keep");
    EXPECT_EQ(count(field, EN_CHANGE), 1);  // only the set_text above
}

TEST_F(SimEdit, TypedCharactersReplaceTheSelectionAndFollowTheStyle) {
    struct Case {
        std::uint32_t style;
        std::string typed, expected;
    } cases[] = {
        {0, "Bye", "Bye world"},
        {ES_UPPERCASE, "Bye", "BYE world"},
        {ES_LOWERCASE, "BYE", "bye world"},
        {ES_UPPERCASE, "\x81\x61z", "\x81\x61Z world"},  // a GBK trail byte is not a letter
        {ES_NUMBER, "a1b2", "12 world"},
        {0, "x\x01\x7Fy", "xy world"},  // control characters are not text
    };
    for (const Case& c : cases) {
        tk::Handle field = edit(c.style, window, "field");
        sim.set_text(field, "hello world");
        sim.set_selection(field, 5, 0);
        EXPECT_TRUE(sim.type_text(field, c.typed));
        EXPECT_EQ(sim.text(field), c.expected) << c.typed;
        const sim::Object& o = *sim.object(field);
        const auto at = std::int32_t(c.expected.find(' '));
        EXPECT_EQ(o.caret, at);
        EXPECT_EQ(o.selection_start, at);
        EXPECT_EQ(o.selection_end, at);
    }
}

TEST_F(SimEdit, SelectionFollowsTheEditRules) {
    tk::Handle field = edit(0, window, "field");
    sim.set_text(field, "abcdef");
    struct Case {
        std::int32_t start, end, sel_start, sel_end, caret;
    } cases[] = {
        {1, 3, 1, 3, 3}, {4, 2, 2, 4, 2}, {0, -1, 0, 6, 6}, {2, 99, 2, 6, 6}, {-1, 0, 6, 6, 6}};
    for (const Case& c : cases) {
        sim.set_selection(field, c.start, c.end);
        const sim::Object& o = *sim.object(field);
        EXPECT_EQ(o.selection_start, c.sel_start) << c.start << "," << c.end;
        EXPECT_EQ(o.selection_end, c.sel_end) << c.start << "," << c.end;
        EXPECT_EQ(o.caret, c.caret) << c.start << "," << c.end;
    }
}

TEST_F(SimEdit, EnterAndTabInsertOnlyWhereTheFieldTakesThem) {
    struct Case {
        std::uint32_t style;
        std::string after_enter, after_tab;
    } cases[] = {
        {ES_MULTILINE | ES_WANTRETURN, "ab\r\n", "ab\r\n\t"},
        {ES_MULTILINE, "ab", "ab\t"},
        {ES_WANTRETURN, "ab", "ab"},
        {0, "ab", "ab"},
    };
    for (const Case& c : cases) {
        tk::Handle field = edit(c.style, window, "field");
        sim.set_text(field, "ab");
        sim.set_selection(field, 2, 2);
        sim.set_focus(field);
        sim.press_key(tk::VK_RETURN_);
        EXPECT_EQ(sim.text(field), c.after_enter) << std::hex << c.style;
        sim.press_key(tk::VK_TAB_);
        EXPECT_EQ(sim.text(field), c.after_tab) << std::hex << c.style;
        // typed straight into the field, Enter and Tab follow the same rules
        sim.set_text(field, "ab");
        sim.set_selection(field, 2, 2);
        sim.type_text(field, "\r\n\t");
        EXPECT_EQ(sim.text(field), c.after_tab) << std::hex << c.style;
    }
}

TEST_F(SimEdit, BackspaceRemovesOneWholeCharacter) {
    tk::Handle field = edit(ES_MULTILINE | ES_WANTRETURN, window, "field");
    sim.set_text(field, "a领\r\nb");
    sim.set_selection(field, 7, 7);  // past the end: the end
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        sim.type_text(field, "\b");
        seen.push_back(sim.text(field));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a领\r\n", "a领", "a", "", ""}));
    EXPECT_EQ(count(field, EN_CHANGE), 1 + 4);  // set_text, then four deletions
    sim.set_text(field, "abcdef");
    sim.set_selection(field, 1, 4);
    sim.type_text(field, "\b");
    EXPECT_EQ(sim.text(field), "aef");
}

TEST_F(SimEdit, SetTextReportsOneChangeOnlyForEdits) {
    tk::Handle field = edit(ES_UPPERCASE, window, "field");
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    tk::Handle label = make(tk::kLabelClass, 0, window, "label");
    sim.set_text(field, "abc");
    sim.set_text(go, "Go");
    sim.set_text(label, "Label");
    EXPECT_EQ(ev.routed[field], (std::vector<std::uint16_t>{EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(ev.starting("command").size(), 2u);
    EXPECT_EQ(sim.text(field), "abc");
    EXPECT_EQ(sim.text(go), "Go");
    EXPECT_EQ(sim.text(label), "Label");
}

TEST_F(SimEdit, TypingNeedsAReachableEdit) {
    tk::Handle field = edit(0, window, "field");
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    sim.enable(field, false);
    EXPECT_FALSE(sim.type_text(field, "x"));
    EXPECT_FALSE(sim.type_text(go, "x"));
    EXPECT_EQ(sim.text(field), "");
    EXPECT_TRUE(ev.starting("command").empty());
}

// ===== keyboard =====

using SimKeys = SimFixture;

TEST_F(SimKeys, TheWindowSeesEveryKeyFirstAndCanTakeIt) {
    tk::Handle field = edit(ES_MULTILINE | ES_WANTRETURN, window, "field");
    sim.set_focus(field);
    ev.on_key = [](const tk::KeyPress& k) { return k.vk == tk::VK_RETURN_; };
    sim.press_key(tk::VK_RETURN_);
    EXPECT_EQ(sim.text(field), "");
    sim.press_key('A', {true, false, false});
    sim.press_key('B');
    sim.press_key('C', {false, false, true});  // Alt: a system key, no character
    EXPECT_EQ(sim.text(field), "Ab");
    ASSERT_EQ(ev.keys.size(), 4u);
    EXPECT_EQ(ev.keys[0].target, field);
    EXPECT_EQ(ev.keys[0].vk, tk::VK_RETURN_);
    EXPECT_FALSE(ev.keys[0].system);
    EXPECT_TRUE(ev.keys[1].keys.shift);
    EXPECT_TRUE(ev.keys[3].system);
}

TEST_F(SimKeys, SpaceClicksTheFocusedButtonUnlessTheWindowTakesIt) {
    tk::Handle box = button(BS_AUTOCHECKBOX, window, "box");
    sim.set_focus(box);
    sim.press_key(tk::VK_SPACE_);
    EXPECT_EQ(sim.check(box), 1);
    EXPECT_EQ(count(box, BN_CLICKED), 1);
    ev.on_key = [](const tk::KeyPress&) { return true; };
    sim.press_key(tk::VK_SPACE_);
    EXPECT_EQ(sim.check(box), 1);
    ev.on_key = nullptr;
    sim.press_key(tk::VK_RETURN_);  // Enter does nothing to a button of its own
    sim.press_key(tk::VK_SPACE_, {false, true, false});
    EXPECT_EQ(count(box, BN_CLICKED), 1);
}

TEST_F(SimKeys, WithoutFocusKeysGoToTheActiveWindow) {
    sim.set_focus(nullptr);
    sim.press_key(tk::VK_ESCAPE_);
    ASSERT_EQ(ev.keys.size(), 1u);
    EXPECT_EQ(ev.keys[0].target, window);
    sim.deactivate(window);
    sim.press_key(tk::VK_ESCAPE_);
    EXPECT_EQ(ev.keys.size(), 1u);  // nothing active: the key goes nowhere
}

TEST_F(SimKeys, TypedTextOffersOnlyItsKeys) {
    tk::Handle field = edit(ES_MULTILINE | ES_WANTRETURN, window, "field");
    sim.set_focus(field);
    sim.type_chars("a领\r\nb\tc");
    EXPECT_EQ(sim.text(field), "a领\r\nb\tc");
    std::vector<std::uint32_t> offered;
    for (const auto& k : ev.keys) offered.push_back(k.vk);
    EXPECT_EQ(offered, (std::vector<std::uint32_t>{tk::VK_RETURN_, tk::VK_TAB_}));
}

// ===== focus and activation =====

using SimFocus = SimFixture;

TEST_F(SimFocus, FocusChangesReportTheOldThenTheNew) {
    tk::Handle field = edit(0, window, "field");
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    ev.calls.clear();
    sim.set_focus(field);
    sim.set_focus(field);  // no change, no report
    sim.set_focus(go);
    sim.set_focus(nullptr);
    EXPECT_EQ(ev.calls, (std::vector<std::string>{"focus window -", "command window field 256",
                                                  "focus field +", "command window field 512",
                                                  "focus field -", "focus go +", "focus go -"}));
    EXPECT_EQ(sim.focus(), nullptr);
    EXPECT_EQ(count(field, EN_SETFOCUS), 1);
    EXPECT_EQ(count(field, EN_KILLFOCUS), 1);
}

TEST_F(SimFocus, ShowingActivatesAndTheWindowTakesTheFocusWhenNothingInsideHasIt) {
    sim::SimToolkit fresh;
    Recorder rec;
    fresh.set_events(&rec);
    tk::CreateSpec spec;
    spec.class_name = tk::kWindowClass;
    spec.style = kMainStyle;
    tk::Handle w = fresh.create(spec);
    rec.names[w] = "w";
    spec.class_name = tk::kEditClass;
    spec.style = WS_CHILD | WS_VISIBLE;
    spec.parent = w;
    tk::Handle field = fresh.create(spec);
    rec.names[field] = "field";
    // The window's own activation handler puts the focus on its control, as the program does.
    rec.on_activate = [&](tk::Handle h, bool active) {
        if (active && h == w) fresh.set_focus(field);
    };
    EXPECT_FALSE(fresh.is_visible(field));
    fresh.show(w, tk::Show::show);
    EXPECT_TRUE(fresh.is_visible(field));
    EXPECT_EQ(fresh.focus(), field);
    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{"activate w +", "command w field 256", "focus field +"}));
    rec.on_activate = nullptr;
    fresh.set_focus(nullptr);
    rec.calls.clear();
    fresh.deactivate(w);
    fresh.activate(w);  // DefWindowProc's share: the window itself takes the focus
    EXPECT_EQ(fresh.focus(), w);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"activate w -", "activate w +", "focus w +"}));
}

TEST_F(SimFocus, DeactivationReportsWhileTheFocusIsStillThere) {
    tk::Handle field = edit(0, window, "field");
    sim.set_focus(field);
    tk::Handle focus_seen = nullptr;
    ev.on_activate = [&](tk::Handle, bool active) {
        if (!active) focus_seen = sim.focus();
    };
    ev.calls.clear();
    sim.deactivate(window);
    EXPECT_EQ(focus_seen, field);
    EXPECT_EQ(sim.focus(), nullptr);
    EXPECT_EQ(sim.active_window(), nullptr);
    EXPECT_EQ(ev.calls, (std::vector<std::string>{"activate window -", "command window field 512",
                                                  "focus field -"}));
}

TEST_F(SimFocus, MinimizingAndHidingGiveUpTheFocus) {
    tk::Handle field = edit(0, window, "field");
    sim.set_focus(field);
    sim.show(window, tk::Show::show_minimized);
    EXPECT_TRUE(sim.is_minimized(window));
    EXPECT_EQ(sim.focus(), nullptr);
    sim.show(window, tk::Show::restore);
    EXPECT_FALSE(sim.is_minimized(window));
    EXPECT_EQ(sim.focus(), window);
    sim.show(window, tk::Show::show_maximized);
    EXPECT_TRUE(sim.is_maximized(window));

    sim.set_focus(field);
    sim.show(field, tk::Show::hide);  // a hidden control hands the focus to its parent
    EXPECT_EQ(sim.focus(), window);
    EXPECT_FALSE(sim.is_visible(field));
    sim.show(window, tk::Show::hide);
    EXPECT_EQ(sim.focus(), nullptr);
    EXPECT_EQ(sim.active_window(), nullptr);
}

// ===== destruction =====

using SimDestroy = SimFixture;

TEST_F(SimDestroy, ParentsHearFirstChildrenGoFirstAndHandlesGoStale) {
    tk::Handle frame = make(tk::kButtonClass, BS_GROUPBOX, window, "frame");
    tk::Handle go = button(BS_PUSHBUTTON, frame, "go");
    tk::Handle field = edit(0, frame, "field");
    tk::Handle label = make(tk::kLabelClass, 0, window, "label");
    tk::CreateSpec owned_spec;
    owned_spec.class_name = tk::kWindowClass;
    owned_spec.parent = window;  // a top-level window owned by the window
    tk::Handle owned = sim.create(owned_spec);
    ev.names[owned] = "owned";
    sim.set_focus(field);
    ev.calls.clear();

    sim.destroy(window);
    EXPECT_EQ(ev.calls,
              (std::vector<std::string>{
                  "activate window -", "command frame field 512", "focus field -",
                  "destroying window", "destroying owned", "destroyed owned", "destroying frame",
                  "destroying go", "destroyed go", "destroying field", "destroyed field",
                  "destroyed frame", "destroying label", "destroyed label", "destroyed window"}));
    for (tk::Handle h : {window, frame, go, field, label, owned}) {
        EXPECT_FALSE(sim.exists(h));
        ASSERT_NE(sim.object(h), nullptr);
        EXPECT_FALSE(sim.object(h)->alive);
        EXPECT_EQ(sim.text(h), "");
        EXPECT_EQ(sim.parent_of(h), nullptr);
    }
    EXPECT_EQ(sim.focus(), nullptr);
    EXPECT_EQ(sim.object_count(), 0u);
    EXPECT_TRUE(sim.children(nullptr).empty());

    // Stale handles are never handed out again.
    tk::Handle again = button(BS_PUSHBUTTON, make(tk::kWindowClass, 0, nullptr, "w2"), "again");
    for (tk::Handle h : {window, frame, go, field, label, owned}) EXPECT_NE(again, h);
    ev.calls.clear();
    sim.destroy(go);
    sim.click(go);
    sim.set_focus(go);
    EXPECT_TRUE(ev.calls.empty());
}

TEST_F(SimDestroy, ChildrenExistWhileTheParentIsBeingDestroyed) {
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    bool child_seen = false;
    ev.on_destroying = [&](tk::Handle h) {
        if (h == window) child_seen = sim.exists(go);
        sim.destroy(window);  // destroying again from inside changes nothing
    };
    sim.destroy(window);
    EXPECT_TRUE(child_seen);
    EXPECT_EQ(ev.starting("destroyed"),
              (std::vector<std::string>{"destroyed go", "destroyed window"}));
}

TEST_F(SimDestroy, CloseAsksTheWindowFirst) {
    bool allow = false;
    ev.on_close = [&](tk::Handle) { return allow; };
    sim.close(window);
    EXPECT_TRUE(sim.exists(window));
    allow = true;
    sim.close(window);
    EXPECT_FALSE(sim.exists(window));
    EXPECT_EQ(ev.starting("close"), (std::vector<std::string>{"close window", "close window"}));
}

// ===== event loop =====

using SimLoop = SimFixture;

TEST_F(SimLoop, AnEmptyQueueStarvesInsteadOfBlocking) {
    int code = 7;
    EXPECT_FALSE(sim.message_waiting());
    EXPECT_FALSE(sim.next_message(&code));
    EXPECT_EQ(code, -2);
    EXPECT_TRUE(sim.starved());
}

TEST_F(SimLoop, TheQuitComesAfterEverythingElseQueued) {
    tk::Handle a = button(BS_PUSHBUTTON, window, "a");
    tk::Handle b = button(BS_PUSHBUTTON, window, "b");
    sim.post_click(a);
    sim.post_quit(3);
    sim.post_click(b);
    int code = 0;
    EXPECT_TRUE(sim.next_message(&code));
    EXPECT_TRUE(sim.next_message(&code));
    EXPECT_EQ(ev.starting("command"),
              (std::vector<std::string>{"command window a 0", "command window b 0"}));
    EXPECT_TRUE(sim.message_waiting());
    EXPECT_FALSE(sim.next_message(&code));
    EXPECT_EQ(code, 3);
    EXPECT_FALSE(sim.starved());
    EXPECT_FALSE(sim.message_waiting());
}

TEST_F(SimLoop, PumpAndDeliverWaitingLeaveTheQuitWaiting) {
    tk::Handle a = button(BS_PUSHBUTTON, window, "a");
    ev.on_command = [&](tk::Handle, std::uint16_t) {
        if (count(a, BN_CLICKED) == 1) sim.post_click(a);  // queued during dispatch: also taken
    };
    sim.post_quit(0);
    sim.post_click(a);
    sim.pump();
    EXPECT_EQ(count(a, BN_CLICKED), 2);
    sim.post_click(a);
    sim.deliver_waiting();
    EXPECT_EQ(count(a, BN_CLICKED), 3);
    EXPECT_EQ(sim.queued(), 0u);
    EXPECT_TRUE(sim.quit_posted());
    int code = 9;
    EXPECT_FALSE(sim.next_message(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(SimLoop, KeysGoToTheFocusOfTheMomentTheyAreTaken) {
    tk::Handle first = edit(0, window, "first");
    tk::Handle second = edit(0, window, "second");
    sim.set_focus(first);
    ev.on_key = [&](const tk::KeyPress& k) {
        if (k.vk != tk::VK_TAB_) return false;
        sim.set_focus(k.target == first ? second : first);
        return true;
    };
    sim.post_chars("a\tb\tc");
    EXPECT_EQ(sim.queued(), 5u);
    int code = 0;
    while (sim.next_message(&code)) {
    }
    EXPECT_TRUE(sim.starved());
    EXPECT_EQ(sim.text(first), "ac");
    EXPECT_EQ(sim.text(second), "b");
}

TEST_F(SimLoop, QueuedCloseAndKeysRunThroughTheWindow) {
    sim.post_key(tk::VK_ESCAPE_);
    sim.post_close(window);
    ev.on_close = [](tk::Handle) { return true; };
    int code = 0;
    EXPECT_TRUE(sim.next_message(&code));
    EXPECT_EQ(ev.keys.size(), 1u);
    EXPECT_TRUE(sim.exists(window));
    EXPECT_TRUE(sim.next_message(&code));
    EXPECT_FALSE(sim.exists(window));
}

// ===== painting, colours, up-down =====

using SimPaint = SimFixture;

TEST_F(SimPaint, PaintingRecordsTheCanvasCalls) {
    tk::Handle label = make(tk::kLabelClass, 0, window, "label", {0, 0, 120, 40});
    const tk::Font font = sim.default_gui_font();
    const tk::Image image = sim.program_icon(true);
    tk::Rect seen_dirty;
    ev.painter = [&](tk::Canvas& c, const tk::Rect& dirty) {
        seen_dirty = dirty;
        c.fill({0, 0, 120, 40}, 0xF0F0F0);
        c.clip({2, 2, 116, 36});
        c.draw_text("领地", {2, 2, 116, 36}, 0x25, 0x0000FF, font);
        c.draw_image(image, {0, 0, 16, 16});
        return true;
    };
    sim.invalidate(label);
    EXPECT_TRUE(sim.object(label)->needs_paint);
    const std::vector<sim::DrawCall> calls = sim.paint(label, {1, 2, 3, 4});
    EXPECT_TRUE(sim.last_paint_handled());
    EXPECT_FALSE(sim.object(label)->needs_paint);
    EXPECT_EQ(seen_dirty, (tk::Rect{1, 2, 3, 4}));
    const std::vector<sim::DrawCall> expected = {
        {sim::DrawCall::Op::fill, {0, 0, 120, 40}, 0xF0F0F0, 0, "", nullptr, nullptr},
        {sim::DrawCall::Op::clip, {2, 2, 116, 36}, 0, 0, "", nullptr, nullptr},
        {sim::DrawCall::Op::text, {2, 2, 116, 36}, 0x0000FF, 0x25, "领地", font, nullptr},
        {sim::DrawCall::Op::image, {0, 0, 16, 16}, 0, 0, "", nullptr, image},
    };
    EXPECT_EQ(calls, expected);

    sim.paint(label);  // the whole client area
    EXPECT_EQ(seen_dirty, (tk::Rect{0, 0, 120, 40}));
    EXPECT_EQ(sim.erase(label), expected);
    ev.painter = nullptr;
    EXPECT_TRUE(sim.erase(label).empty());
    EXPECT_FALSE(sim.last_paint_handled());
    EXPECT_EQ(ev.starting("paint").size(), 2u);
    EXPECT_EQ(ev.starting("erase").size(), 2u);

    sim.destroy(label);
    ev.calls.clear();
    EXPECT_TRUE(sim.paint(label).empty());
    EXPECT_TRUE(ev.calls.empty());
}

TEST_F(SimPaint, ColourRequestsGoToTheParent) {
    tk::Handle frame = make(tk::kButtonClass, BS_GROUPBOX, window, "frame");
    tk::Handle field = edit(0, frame, "field");
    EXPECT_FALSE(sim.request_color(field).has_value());
    const tk::Brush brush = sim.create_brush(0x00FFFF);
    ev.color_answer = tk::ColorAnswer{0x000000FF, 0x00FFFF, brush};
    const auto answer = sim.request_color(field);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->brush, brush);
    EXPECT_EQ(answer->text_color, 0x000000FFu);
    EXPECT_EQ(ev.starting("color"),
              (std::vector<std::string>{"color frame field", "color frame field"}));
    EXPECT_FALSE(sim.request_color(window).has_value());  // no parent to ask
}

TEST_F(SimPaint, UpDownSpinsWithinItsRange) {
    tk::Handle field = edit(0, window, "field");
    tk::Handle updown = make(tk::kUpDownClass, 0, window, "updown");
    sim.set_updown(updown, field, 5, 0);
    EXPECT_EQ(sim.object(updown)->buddy, field);
    EXPECT_TRUE(sim.spin(updown, 1));
    EXPECT_TRUE(sim.spin(updown, 9));
    EXPECT_EQ(sim.object(updown)->position, 5);
    sim.enable(updown, false);
    EXPECT_FALSE(sim.spin(updown, -1));
    EXPECT_FALSE(sim.spin(field, 1));
    EXPECT_EQ(ev.starting("spin"), (std::vector<std::string>{"spin updown 1", "spin updown 9"}));
}

TEST_F(SimPaint, ControlSpecificsAreKept) {
    tk::Handle field = edit(0, window, "field");
    tk::Handle go = button(BS_PUSHBUTTON, window, "go");
    std::uint8_t logfont[60] = {};
    logfont[28] = 'A';
    const tk::Font font = sim.create_font(logfont);
    sim.set_font(field, font, true);
    sim.set_password_char(field, '*');
    sim.scroll_caret(field);
    const tk::Image big = sim.program_icon(false), small = sim.program_icon(true);
    sim.set_icon(window, big, small);
    sim.set_image(go, small);
    sim.set_topmost(window);
    sim.remove_move_command(window);
    tk::Toolkit::Shape shape;
    shape.kind = tk::Toolkit::Shape::round_rect;
    shape.corner = 12;
    sim.set_shape(window, shape);
    const tk::Cursor cursor = sim.load_system_cursor(3);
    sim.set_cursor(go, cursor);
    int marker = 0;
    sim.set_user(go, &marker);

    const sim::Object& f = *sim.object(field);
    EXPECT_EQ(f.font, font);
    EXPECT_TRUE(f.font_redraw);
    EXPECT_EQ(f.password_char, '*');
    EXPECT_EQ(f.caret_scrolls, 1);
    const sim::Object& w = *sim.object(window);
    EXPECT_EQ(w.big_icon, big);
    EXPECT_EQ(w.small_icon, small);
    EXPECT_TRUE(w.topmost);
    EXPECT_EQ(sim.ex_style(window) & 0x8u, 0x8u);
    EXPECT_TRUE(w.move_command_removed);
    EXPECT_EQ(w.shape.kind, tk::Toolkit::Shape::round_rect);
    EXPECT_EQ(w.shape.corner, 12);
    EXPECT_EQ(sim.object(go)->image, small);
    EXPECT_EQ(sim.object(go)->cursor, cursor);
    EXPECT_EQ(sim.user(go), &marker);
    EXPECT_TRUE(sim.resource_faults().empty());
    sim.release_font(font);
    sim.set_font(go, font, false);
    EXPECT_EQ(sim.resource_faults().size(), 1u);  // a released font handed to a control
}

TEST_F(SimPaint, FindsControlsByIdAndTextInASubtree) {
    tk::Handle frame = make(tk::kButtonClass, BS_GROUPBOX, window, "frame", {0, 0, 9, 9}, 100);
    tk::Handle go = make(tk::kButtonClass, 0, frame, "go", {0, 0, 9, 9}, 110, "删除领地");
    tk::Handle other = make(tk::kWindowClass, 0, nullptr, "other");
    make(tk::kButtonClass, 0, other, "far", {0, 0, 9, 9}, 120, "far");
    EXPECT_EQ(sim.find_child(window, 110), go);
    EXPECT_EQ(sim.find_child(nullptr, 110), go);
    EXPECT_EQ(sim.find_child(window, 120), nullptr);
    EXPECT_EQ(sim.find_child(frame, 100), nullptr);
    EXPECT_EQ(sim.find_by_text(window, "删除领地"), go);
    EXPECT_EQ(sim.find_by_text(window, "far"), nullptr);
    sim.destroy(go);
    EXPECT_EQ(sim.find_child(window, 110), nullptr);
}

}  // namespace
