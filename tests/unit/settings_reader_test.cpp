// The settings blocks of every kind: defaults, each version's fields, and every way a block
// can be cut short or overrun.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "window/settings.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian block writer.
struct Block {
    Bytes b;
    Block& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Block& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Block& i16(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        b.push_back(static_cast<std::uint8_t>(u));
        b.push_back(static_cast<std::uint8_t>(u >> 8));
        return *this;
    }
    Block& field(const Bytes& data) {
        i32(static_cast<std::int32_t>(data.size()));
        b.insert(b.end(), data.begin(), data.end());
        return *this;
    }
    Block& text(const std::string& s) { return field(Bytes(s.begin(), s.end())); }
    Block& raw(const Bytes& data) {
        b.insert(b.end(), data.begin(), data.end());
        return *this;
    }
};

std::string hex(const std::string& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += buf;
    }
    return out;
}

// --- full blocks with a distinct non-default value in every field ---

Bytes button_block(std::uint32_t version = 1) {
    return Block{}.u32(version).i32(1).i32(0).i32(2).field({1, 2, 3}).field(Bytes(60, 7))
        .text("OK").b;
}

Bytes group_box_block(std::uint32_t version = 1) {
    return Block{}.u32(version).i32(2).u32(0x0000FF).u32(0x00ABCDEF).field({9}).text("G").b;
}

Bytes label_block(std::uint32_t version) {
    Block blk;
    blk.u32(version).i32(3).i32(5).i32(6).u32(0x11).u32(0x22).u32(0x33).u32(0x0000FF)
        .u32(0x444444).i32(2).i32(7).u32(0x55).u32(0x66).u32(0x77).i32(1).i32(2).i32(1)
        .field({4, 5}).field({6}).text("L");
    if (version == 2) blk.text("src").text("col");
    return blk.b;
}

Bytes edit_block(std::uint32_t version) {
    Block blk;
    blk.u32(version).i32(5).u32(0x010203).u32(0x040506).i32(0).i32(32).i32(1).i32(3).i32(2)
        .i32(2).i16(0x0123).i32(2).i32(1).i32(90).i32(-10).i32(4).i32(6).field({8, 8})
        .text("hello");
    if (version == 2) blk.text("ds").text("dc");
    return blk.b;
}

Bytes toggle_block(std::uint32_t version, const std::string& caption) {
    Block blk;
    blk.u32(version).i32(1).i32(1).i32(1).i32(2).i32(0).u32(0x0000FF).u32(0x00FF00).i32(1)
        .field({1}).field({2, 2}).text(caption);
    if (version == 2) blk.text("s").text("c");
    return blk.b;
}

// Rows 1 to 14, then the rows of fields 15..20 that `version` carries, then rows 21 to 25.
Bytes window_block(std::uint32_t version, const std::string& caption = "W") {
    Block blk;
    blk.u32(version).i32(1).i32(3).u32(0x123456).i32(1).i32(0).i32(0).i32(3).i32(0).i32(2)
        .i32(1).i32(0).i32(1).i32(42);
    if (version >= 2) blk.i32(0);           // show_in_taskbar
    if (version >= 3) blk.i32(1).i32(13);   // drag_anywhere, shape
    if (version >= 4) blk.i32(1);           // always_on_top
    if (version >= 5) blk.i32(1);           // keep_title_active
    if (version >= 6) blk.text("Cls");      // window_class
    blk.field({1}).field({2, 2}).field({3, 3, 3}).text(caption).text("h.hlp");
    return blk.b;
}

// --- defaults ---

TEST(SettingsDefaults, EmptyBlockKeepsEveryDefault) {
    const Bytes none;
    ui::ButtonSettings b;
    b.caption = "junk";
    b.button_type = 9;
    ASSERT_TRUE(ui::read_settings(none, b));
    EXPECT_EQ(b.button_type, 0);
    EXPECT_EQ(b.horizontal_align, 1);
    EXPECT_EQ(b.vertical_align, 1);
    EXPECT_TRUE(b.picture.empty());
    EXPECT_TRUE(b.font.empty());
    EXPECT_EQ(hex(b.caption), "b0b4c5a5");  // 按钮 in GBK

    ui::LabelSettings l;
    ASSERT_TRUE(ui::read_settings(none, l));
    EXPECT_EQ(l.text_effect, 0);
    EXPECT_EQ(l.gradient_border_width, 8);
    EXPECT_EQ(l.border_style, 0);
    EXPECT_EQ(l.gradient_border_colors, (std::array<ui::Color, 3>{0x808080, 0xFFFFFF, 0x808080}));
    EXPECT_EQ(l.text_color, 0u);
    EXPECT_EQ(l.back_color, 0xFF000000u);
    EXPECT_EQ(l.picture_mode, 1);
    EXPECT_EQ(l.gradient_mode, 0);
    EXPECT_EQ(l.gradient_colors, (std::array<ui::Color, 3>{0x808080, 0xFFFFFF, 0x808080}));
    EXPECT_EQ(l.horizontal_align, 0);
    EXPECT_EQ(l.vertical_align, 1);
    EXPECT_EQ(l.word_wrap, 0);
    EXPECT_EQ(hex(l.caption), "b1eac7a9");  // 标签
    EXPECT_TRUE(l.data_source.empty() && l.data_column.empty());

    ui::GroupBoxSettings g;
    ASSERT_TRUE(ui::read_settings(none, g));
    EXPECT_EQ(g.caption_align, 0);
    EXPECT_EQ(g.text_color, 0u);
    EXPECT_EQ(g.back_color, ui::SYSTEM_DEFAULT_COLOR);
    EXPECT_TRUE(g.caption.empty());

    ui::EditBoxSettings e;
    ASSERT_TRUE(ui::read_settings(none, e));
    EXPECT_EQ(e.border_style, 1);
    EXPECT_EQ(e.back_color, 0xFFFFFFu);
    EXPECT_EQ(e.hide_selection, 1);
    EXPECT_EQ(e.multi_line, 0);
    EXPECT_EQ(e.password_char, 0x2A);
    EXPECT_EQ(e.spin_lower, 0);
    EXPECT_EQ(e.spin_upper, 100);
    EXPECT_TRUE(e.text.empty());

    ui::CheckBoxSettings c;
    ASSERT_TRUE(ui::read_settings(none, c));
    EXPECT_EQ(c.vertical_align, 1);
    EXPECT_EQ(c.check_state, 0);
    EXPECT_EQ(c.back_color, ui::SYSTEM_DEFAULT_COLOR);
    EXPECT_EQ(hex(c.caption), "d1a1d4f1bff2");  // 选择框

    ui::RadioBoxSettings r;
    ASSERT_TRUE(ui::read_settings(none, r));
    EXPECT_EQ(r.check_state, 0);
    EXPECT_EQ(hex(r.caption), "b5a5d1a1bff2");  // 单选框

    ui::WindowSettings w;
    ASSERT_TRUE(ui::read_settings(none, w));
    EXPECT_EQ(w.frame_style, 2);
    EXPECT_EQ(w.picture_mode, 1);
    EXPECT_EQ(w.back_color, ui::SYSTEM_DEFAULT_COLOR);
    EXPECT_EQ(w.maximize_box, 0);
    EXPECT_EQ(w.minimize_box, 1);
    EXPECT_EQ(w.control_box, 1);
    EXPECT_EQ(w.start_position, 1);
    EXPECT_EQ(w.movable, 1);
    EXPECT_EQ(w.escape_closes, 1);
    EXPECT_EQ(w.show_in_taskbar, 1);
    EXPECT_EQ(w.shape, 0);
    EXPECT_TRUE(w.caption.empty() && w.window_class.empty());
}

TEST(SettingsDefaults, ReadingResetsWhatAnEarlierReadLeft) {
    ui::LabelSettings l;
    ASSERT_TRUE(ui::read_settings(label_block(2), l));
    ASSERT_EQ(l.data_source, "src");
    ASSERT_TRUE(ui::read_settings(label_block(1), l));
    EXPECT_TRUE(l.data_source.empty());
    EXPECT_TRUE(ui::read_settings(Bytes{}, l));
    EXPECT_EQ(l.text_effect, 0);
    EXPECT_EQ(hex(l.caption), "b1eac7a9");
}

// --- each kind's fields ---

TEST(SettingsFields, ButtonAndGroupBox) {
    ui::ButtonSettings b;
    ASSERT_TRUE(ui::read_settings(button_block(), b));
    EXPECT_EQ(b.version, 1u);
    EXPECT_EQ(b.button_type, 1);
    EXPECT_EQ(b.horizontal_align, 0);
    EXPECT_EQ(b.vertical_align, 2);
    EXPECT_EQ(b.picture, (Bytes{1, 2, 3}));
    EXPECT_EQ(b.font, Bytes(60, 7));
    EXPECT_EQ(b.caption, "OK");

    ui::GroupBoxSettings g;
    ASSERT_TRUE(ui::read_settings(group_box_block(0), g));
    EXPECT_EQ(g.caption_align, 2);
    EXPECT_EQ(g.text_color, 0x0000FFu);
    EXPECT_EQ(g.back_color, 0x00ABCDEFu);
    EXPECT_EQ(g.font, (Bytes{9}));
    EXPECT_EQ(g.caption, "G");
}

TEST(SettingsFields, LabelReadsItsDataFieldsOnlyInVersionTwo) {
    for (std::uint32_t version : {0u, 1u, 2u}) {
        SCOPED_TRACE(version);
        Bytes block = label_block(version);
        if (version < 2) block = Block{block}.text("not").text("read").b;  // ignored trailer
        ui::LabelSettings l;
        ASSERT_TRUE(ui::read_settings(block, l));
        EXPECT_EQ(l.text_effect, 3);
        EXPECT_EQ(l.gradient_border_width, 5);
        EXPECT_EQ(l.border_style, 6);
        EXPECT_EQ(l.gradient_border_colors, (std::array<ui::Color, 3>{0x11, 0x22, 0x33}));
        EXPECT_EQ(l.text_color, 0x0000FFu);
        EXPECT_EQ(l.back_color, 0x444444u);
        EXPECT_EQ(l.picture_mode, 2);
        EXPECT_EQ(l.gradient_mode, 7);
        EXPECT_EQ(l.gradient_colors, (std::array<ui::Color, 3>{0x55, 0x66, 0x77}));
        EXPECT_EQ(l.horizontal_align, 1);
        EXPECT_EQ(l.vertical_align, 2);
        EXPECT_EQ(l.word_wrap, 1);
        EXPECT_EQ(l.font, (Bytes{4, 5}));
        EXPECT_EQ(l.picture, (Bytes{6}));
        EXPECT_EQ(l.caption, "L");
        EXPECT_EQ(l.data_source, version == 2 ? "src" : "");
        EXPECT_EQ(l.data_column, version == 2 ? "col" : "");
    }
}

TEST(SettingsFields, EditBoxWithItsTwoBytePasswordChar) {
    for (std::uint32_t version : {0u, 1u, 2u}) {
        SCOPED_TRACE(version);
        ui::EditBoxSettings e;
        ASSERT_TRUE(ui::read_settings(edit_block(version), e));
        EXPECT_EQ(e.border_style, 5);
        EXPECT_EQ(e.text_color, 0x010203u);
        EXPECT_EQ(e.back_color, 0x040506u);
        EXPECT_EQ(e.hide_selection, 0);
        EXPECT_EQ(e.max_length, 32);
        EXPECT_EQ(e.multi_line, 1);
        EXPECT_EQ(e.scroll_bars, 3);
        EXPECT_EQ(e.horizontal_align, 2);
        EXPECT_EQ(e.input_mode, 2);
        EXPECT_EQ(e.password_char, 0x0123);
        EXPECT_EQ(e.case_conversion, 2);
        EXPECT_EQ(e.spin_mode, 1);
        EXPECT_EQ(e.spin_lower, 90);
        EXPECT_EQ(e.spin_upper, -10);
        EXPECT_EQ(e.selection_start, 4);
        EXPECT_EQ(e.selection_length, 6);
        EXPECT_EQ(e.font, (Bytes{8, 8}));
        EXPECT_EQ(e.text, "hello");
        EXPECT_EQ(e.data_source, version == 2 ? "ds" : "");
        EXPECT_EQ(e.data_column, version == 2 ? "dc" : "");
    }
}

TEST(SettingsFields, CheckBoxAndRadioShareALayout) {
    ui::CheckBoxSettings c;
    ASSERT_TRUE(ui::read_settings(toggle_block(2, "C"), c));
    EXPECT_EQ(c.push_like, 1);
    EXPECT_EQ(c.flat, 1);
    EXPECT_EQ(c.text_left, 1);
    EXPECT_EQ(c.horizontal_align, 2);
    EXPECT_EQ(c.vertical_align, 0);
    EXPECT_EQ(c.text_color, 0x0000FFu);
    EXPECT_EQ(c.back_color, 0x00FF00u);
    EXPECT_EQ(c.check_state, 1);
    EXPECT_EQ(c.picture, (Bytes{1}));
    EXPECT_EQ(c.font, (Bytes{2, 2}));
    EXPECT_EQ(c.caption, "C");
    EXPECT_EQ(c.data_source, "s");
    EXPECT_EQ(c.data_column, "c");

    ASSERT_TRUE(ui::read_settings(toggle_block(1, "C1"), c));
    EXPECT_EQ(c.caption, "C1");
    EXPECT_TRUE(c.data_source.empty());

    ui::RadioBoxSettings r;
    ASSERT_TRUE(ui::read_settings(toggle_block(1, "R"), r));
    EXPECT_EQ(r.push_like, 1);
    EXPECT_EQ(r.check_state, 1);
    EXPECT_EQ(r.caption, "R");
    EXPECT_TRUE(r.data_source.empty());
}

TEST(SettingsFields, WindowFieldsFollowTheVersionOfTheirRow) {
    struct Row {
        std::uint32_t version;
        std::int32_t show_in_taskbar, drag_anywhere, shape, always_on_top, keep_title_active;
        const char* window_class;
    };
    const Row rows[] = {
        {0, 1, 0, 0, 0, 0, ""},    {1, 1, 0, 0, 0, 0, ""},    {2, 0, 0, 0, 0, 0, ""},
        {3, 0, 1, 13, 0, 0, ""},   {4, 0, 1, 13, 1, 0, ""},   {5, 0, 1, 13, 1, 1, ""},
        {6, 0, 1, 13, 1, 1, "Cls"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        ui::WindowSettings w;
        ASSERT_TRUE(ui::read_settings(window_block(row.version), w));
        EXPECT_EQ(w.version, row.version);
        EXPECT_EQ(w.frame_style, 1);
        EXPECT_EQ(w.picture_mode, 3);
        EXPECT_EQ(w.back_color, 0x123456u);
        EXPECT_EQ(w.maximize_box, 1);
        EXPECT_EQ(w.minimize_box, 0);
        EXPECT_EQ(w.control_box, 0);
        EXPECT_EQ(w.start_position, 3);
        EXPECT_EQ(w.movable, 0);
        EXPECT_EQ(w.music_repeat, 2);
        EXPECT_EQ(w.enter_moves_focus, 1);
        EXPECT_EQ(w.escape_closes, 0);
        EXPECT_EQ(w.f1_opens_help, 1);
        EXPECT_EQ(w.help_context, 42);
        EXPECT_EQ(w.show_in_taskbar, row.show_in_taskbar);
        EXPECT_EQ(w.drag_anywhere, row.drag_anywhere);
        EXPECT_EQ(w.shape, row.shape);
        EXPECT_EQ(w.always_on_top, row.always_on_top);
        EXPECT_EQ(w.keep_title_active, row.keep_title_active);
        EXPECT_EQ(w.window_class, row.window_class);
        EXPECT_EQ(w.picture, (Bytes{1}));
        EXPECT_EQ(w.icon, (Bytes{2, 2}));
        EXPECT_EQ(w.music, (Bytes{3, 3, 3}));
        EXPECT_EQ(w.caption, "W");
        EXPECT_EQ(w.help_file, "h.hlp");
    }
}

// --- the blocks of this window ---

TEST(SettingsThisWindow, MainWindowBlockIs108BytesWithOnlyTheCaptionSet) {
    Block blk;
    blk.u32(6).i32(2).i32(1).u32(0xFF000000).i32(0).i32(1).i32(1).i32(1).i32(1).i32(0).i32(0)
        .i32(1).i32(0).i32(0).i32(1).i32(0).i32(0).i32(0).i32(0)
        .text("").field({}).field({}).field({}).text("领地设置").text("");
    ASSERT_EQ(blk.b.size(), 108u);
    ui::WindowSettings w;
    ASSERT_TRUE(ui::read_settings(blk.b, w));
    ui::WindowSettings expected;
    EXPECT_EQ(w.frame_style, expected.frame_style);
    EXPECT_EQ(w.start_position, expected.start_position);
    EXPECT_EQ(w.show_in_taskbar, 1);
    EXPECT_EQ(hex(w.caption), "c1ecb5d8c9e8d6c3");  // 领地设置
    EXPECT_TRUE(w.window_class.empty() && w.picture.empty() && w.icon.empty());
}

TEST(SettingsThisWindow, MultiLineEditBlockIs82Bytes) {
    Block blk;
    blk.u32(2).i32(1).u32(0).u32(0xFFFFFF).i32(1).i32(0).i32(1).i32(0).i32(0).i32(0)
        .i16(0x2A).i32(0).i32(0).i32(0).i32(100).i32(0).i32(0)
        .field({}).text("").text("").text("");
    ASSERT_EQ(blk.b.size(), 82u);
    ui::EditBoxSettings e;
    ASSERT_TRUE(ui::read_settings(blk.b, e));
    EXPECT_EQ(e.multi_line, 1);
    EXPECT_EQ(e.border_style, 1);
    EXPECT_EQ(e.back_color, 0xFFFFFFu);
    EXPECT_EQ(e.password_char, 0x2A);
    EXPECT_EQ(e.spin_upper, 100);
    EXPECT_TRUE(e.text.empty());
}

TEST(SettingsThisWindow, CheckBoxAndRadioBlocks) {
    ui::CheckBoxSettings c;
    ASSERT_TRUE(ui::read_settings(
        Block{}.u32(2).i32(0).i32(0).i32(0).i32(0).i32(1).u32(0).u32(0xFF000000).i32(0)
            .field({}).field({}).text("移除消息").text("").text("").b,
        c));
    EXPECT_EQ(hex(c.caption), "d2c6b3fdcffbcfa2");
    EXPECT_EQ(c.check_state, 0);

    ui::RadioBoxSettings r;
    ASSERT_TRUE(ui::read_settings(
        Block{}.u32(1).i32(0).i32(0).i32(0).i32(0).i32(1).u32(0).u32(0xFF000000).i32(1)
            .field({}).field({}).text("加入").b,
        r));
    EXPECT_EQ(hex(r.caption), "bcd3c8eb");
    EXPECT_EQ(r.check_state, 1);
}

// --- failures ---

struct KindReader {
    const char* name;
    std::function<bool(const Bytes&)> read;
    std::uint32_t highest;
    std::function<Bytes(std::uint32_t)> full;  // a complete block of that version
};

template <class S>
std::function<bool(const Bytes&)> reader() {
    return [](const Bytes& b) {
        S s;
        return ui::read_settings(b, s);
    };
}

const std::vector<KindReader>& kinds() {
    static const std::vector<KindReader> all = {
        {"window", reader<ui::WindowSettings>(), 6, [](std::uint32_t v) { return window_block(v); }},
        {"button", reader<ui::ButtonSettings>(), 1, button_block},
        {"label", reader<ui::LabelSettings>(), 2, label_block},
        {"group box", reader<ui::GroupBoxSettings>(), 1, group_box_block},
        {"edit", reader<ui::EditBoxSettings>(), 2, edit_block},
        {"check box", reader<ui::CheckBoxSettings>(), 2,
         [](std::uint32_t v) { return toggle_block(v, "c"); }},
        {"radio", reader<ui::RadioBoxSettings>(), 1,
         [](std::uint32_t v) { return toggle_block(v, "r"); }},
    };
    return all;
}

TEST(SettingsFailures, VersionAboveTheKindsHighestFails) {
    for (const KindReader& k : kinds()) {
        SCOPED_TRACE(k.name);
        EXPECT_TRUE(k.read(k.full(k.highest)));
        // The next version fails even with every field of the highest present after it.
        Bytes too_high = k.full(k.highest);
        too_high[0] = static_cast<std::uint8_t>(k.highest + 1);
        EXPECT_FALSE(k.read(too_high));
        Bytes huge = k.full(k.highest);
        huge[3] = 0x80;  // version read unsigned: 0x80000000 and more is far too high
        EXPECT_FALSE(k.read(huge));
    }
}

TEST(SettingsFailures, EveryBlockCutShortFailsAndTrailingBytesAreIgnored) {
    for (const KindReader& k : kinds()) {
        for (std::uint32_t version = 0; version <= k.highest; ++version) {
            SCOPED_TRACE(std::string(k.name) + " v" + std::to_string(version));
            const Bytes full = k.full(version);
            ASSERT_TRUE(k.read(full));
            for (std::size_t n = 1; n < full.size(); ++n)
                EXPECT_FALSE(k.read(Bytes(full.begin(), full.begin() + n))) << "length " << n;
            Bytes longer = full;
            longer.insert(longer.end(), {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
            EXPECT_TRUE(k.read(longer));
        }
    }
}

TEST(SettingsFailures, NamedShortBlocks) {
    ui::EditBoxSettings e;
    // Up to input_mode, then one byte of password_char.
    Block inside_password;
    inside_password.u32(1).i32(1).u32(0).u32(0).i32(1).i32(0).i32(0).i32(0).i32(0).i32(0);
    inside_password.b.push_back(0x2A);
    EXPECT_FALSE(ui::read_settings(inside_password.b, e));

    ui::ButtonSettings b;
    EXPECT_FALSE(ui::read_settings(Bytes{1, 0, 0}, b));                        // inside version
    EXPECT_FALSE(ui::read_settings(Block{}.u32(1).i32(0).raw({1, 0}).b, b));   // inside an int
    EXPECT_FALSE(ui::read_settings(Block{}.u32(1).i32(0).i32(1).i32(1).raw({3, 0, 0}).b, b));
    // A count that runs past the end: 10 bytes announced, 3 there.
    EXPECT_FALSE(ui::read_settings(
        Block{}.u32(1).i32(0).i32(1).i32(1).i32(10).raw({1, 2, 3}).b, b));
    // The same in the last field, a TextField.
    EXPECT_FALSE(ui::read_settings(
        Block{}.u32(1).i32(0).i32(1).i32(1).field({}).field({}).i32(5).raw({'a', 'b'}).b, b));
    // A count near the top of the range must not wrap around.
    EXPECT_FALSE(ui::read_settings(
        Block{}.u32(1).i32(0).i32(1).i32(1).i32(0x7FFFFFFF).raw({1}).b, b));
}

TEST(SettingsCounts, ZeroOrNegativeCountIsEmptyAndNothingFollowsIt) {
    for (std::int32_t count : {0, -1, -5, INT32_MIN}) {
        SCOPED_TRACE(count);
        ui::ButtonSettings b;
        ASSERT_TRUE(ui::read_settings(
            Block{}.u32(1).i32(0).i32(1).i32(1).i32(count).i32(count).i32(count).b, b));
        EXPECT_TRUE(b.picture.empty());
        EXPECT_TRUE(b.font.empty());
        EXPECT_TRUE(b.caption.empty());  // an empty caption read, not the default
    }
}

TEST(SettingsCounts, TextEndsAtItsFirstZeroByteAndTheNextFieldFollowsTheCount) {
    ui::LabelSettings l;
    Block blk;
    blk.u32(2).i32(0).i32(8).i32(0).u32(0x808080).u32(0xFFFFFF).u32(0x808080).u32(0)
        .u32(0xFF000000).i32(1).i32(0).u32(0x808080).u32(0xFFFFFF).u32(0x808080).i32(0).i32(1)
        .i32(0).field({}).field({})
        .field({'a', 'b', 0, 'c', 'd'}).field({0, 'x'}).text("col");
    ASSERT_TRUE(ui::read_settings(blk.b, l));
    EXPECT_EQ(l.caption, "ab");
    EXPECT_TRUE(l.data_source.empty());
    EXPECT_EQ(l.data_column, "col");
}

TEST(SettingsCounts, FontFieldKeepsItsExactLength) {
    for (std::size_t n : {59u, 60u, 61u}) {
        ui::ButtonSettings b;
        ASSERT_TRUE(ui::read_settings(
            Block{}.u32(1).i32(0).i32(1).i32(1).field({}).field(Bytes(n, 0x41)).text("x").b, b));
        EXPECT_EQ(b.font.size(), n);
        EXPECT_EQ(b.caption, "x");
    }
}

}  // namespace
