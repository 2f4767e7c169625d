// The style bits of every control kind, the window's frame and position, fonts, colours,
// label text flags, the up-down control and the window shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "window/form.h"
#include "window/styles.h"

namespace {

using namespace ui;

constexpr std::uint32_t TAB = WS_TABSTOP_;

TEST(StylesConstants, ValuesThePlatformUses) {
    // A few spelled out as numbers, so a slip in the named constants cannot hide in both sides.
    EXPECT_EQ(WS_CHILD_ | WS_CLIPSIBLINGS_ | BS_MULTILINE_ | BS_CENTER_ | BS_VCENTER_ | TAB,
              0x44012F00u);
    EXPECT_EQ(WS_CLIPCHILDREN_ | WS_CAPTION_ | WS_SYSMENU_ | WS_MINIMIZEBOX_, 0x02CA0000u);
    EXPECT_EQ(ES_MULTILINE_ | ES_AUTOVSCROLL_ | ES_WANTRETURN_, 0x1044u);
    EXPECT_EQ(WS_CAPTION_, WS_BORDER_ | WS_DLGFRAME_);
    EXPECT_EQ(DT_NOCLIP_ | DT_SINGLELINE_ | DT_VCENTER_, 0x124u);
    EXPECT_EQ(BS_AUTORADIOBUTTON_ & BS_TYPEMASK_, 9u);
}

TEST(StylesPlacement, FlagsGiveDisabledAndTabStopButNeverVisible) {
    struct Row {
        std::uint32_t flags, style;
    };
    const Row rows[] = {
        {0, 0},
        {form::FLAG_VISIBLE, 0},
        {form::FLAG_DISABLED, WS_DISABLED_},
        {form::FLAG_TAB_STOP, WS_TABSTOP_},
        {form::FLAG_VISIBLE | form::FLAG_DISABLED | form::FLAG_TAB_STOP, WS_DISABLED_ | WS_TABSTOP_},
    };
    for (const Row& r : rows) EXPECT_EQ(placement_style(r.flags), r.style) << r.flags;
}

// --- the controls of this window ---

TEST(StylesThisWindow, EveryControlKind) {
    const std::uint32_t base = WS_CHILD_ | WS_CLIPSIBLINGS_;
    ButtonSettings button;
    button.version = 1;
    EXPECT_EQ(button_style(button, TAB), base | BS_MULTILINE_ | BS_CENTER_ | BS_VCENTER_ | TAB);

    EditBoxSettings single;  // 领地名2 and 玩家名: empty blocks
    EXPECT_EQ(edit_style(single, TAB), base | ES_AUTOHSCROLL_ | TAB);
    EditBoxSettings multi;   // 消息4 and 复制1
    multi.multi_line = 1;
    EXPECT_EQ(edit_style(multi, TAB), base | 0x1044u | TAB);

    CheckBoxSettings check;
    EXPECT_EQ(check_box_style(check, TAB),
              base | BS_MULTILINE_ | BS_LEFT_ | BS_VCENTER_ | BS_AUTOCHECKBOX_ | TAB);
    RadioBoxSettings radio;
    EXPECT_EQ(radio_box_style(radio, TAB),
              base | BS_MULTILINE_ | BS_LEFT_ | BS_VCENTER_ | BS_AUTORADIOBUTTON_ | TAB);

    GroupBoxSettings group;
    EXPECT_EQ(group_box_style(group, 0), BS_GROUPBOX_ | base | BS_LEFT_);

    LabelSettings label;
    EXPECT_EQ(label_style(label, 0), base);
    EXPECT_EQ(label_text_flags(label), DT_NOCLIP_ | DT_SINGLELINE_ | DT_VCENTER_);
    const Edge none = border_edge(label.border_style, true);
    EXPECT_EQ(none.ex_style_add, 0u);
    EXPECT_FALSE(none.ws_border);
    const Edge sunken = border_edge(single.border_style, false);
    EXPECT_EQ(sunken.ex_style_add, WS_EX_CLIENTEDGE_);
    EXPECT_FALSE(sunken.ws_border);
}

TEST(StylesThisWindow, MainWindowFrame) {
    WindowSettings w;
    w.version = 6;
    w.caption = "领地设置";
    const WindowFrame f = window_frame(w, placement_style(form::FLAG_VISIBLE));
    EXPECT_EQ(f.style, WS_CLIPCHILDREN_ | WS_CAPTION_ | WS_SYSMENU_ | WS_MINIMIZEBOX_);
    EXPECT_EQ(f.ex_style, 0u);
    EXPECT_EQ(f.style & (WS_THICKFRAME_ | WS_MAXIMIZEBOX_ | WS_VISIBLE_), 0u);
}

// --- alignment: the same 5 means different things per kind ---

TEST(StylesAlign, HorizontalAlignFiveByKind) {
    ButtonSettings b;
    b.horizontal_align = 5;
    EXPECT_EQ(button_style(b, 0) & BS_CENTER_, BS_RIGHT_);

    LabelSettings l;
    l.horizontal_align = 5;
    EXPECT_EQ(label_text_flags(l) & (DT_CENTER_ | DT_RIGHT_), 0u);  // left

    EditBoxSettings e;
    e.horizontal_align = 5;
    EXPECT_EQ(edit_style(e, 0) & (ES_CENTER_ | ES_RIGHT_), 0u);  // left

    CheckBoxSettings c;
    c.horizontal_align = 5;
    EXPECT_EQ(check_box_style(c, 0) & BS_CENTER_, BS_RIGHT_);
    RadioBoxSettings r;
    r.horizontal_align = 5;
    EXPECT_EQ(radio_box_style(r, 0) & BS_CENTER_, BS_RIGHT_);
}

TEST(StylesAlign, ButtonCaptionPositionTable) {
    struct Row {
        std::int32_t h, v;
        std::uint32_t bits;
    };
    const Row rows[] = {
        {0, 0, BS_LEFT_ | BS_TOP_},     {1, 1, BS_CENTER_ | BS_VCENTER_},
        {2, 2, BS_RIGHT_ | BS_BOTTOM_}, {-1, 7, BS_RIGHT_ | BS_BOTTOM_},
        {0, 1, BS_LEFT_ | BS_VCENTER_}, {1, 0, BS_CENTER_ | BS_TOP_},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.h << "," << r.v);
        ButtonSettings b;
        b.horizontal_align = r.h;
        b.vertical_align = r.v;
        EXPECT_EQ(button_style(b, 0), WS_CHILD_ | WS_CLIPSIBLINGS_ | BS_MULTILINE_ | r.bits);
        CheckBoxSettings c;
        c.horizontal_align = r.h;
        c.vertical_align = r.v;
        EXPECT_EQ(check_box_style(c, 0) & (BS_CENTER_ | BS_VCENTER_), r.bits);
    }
    for (std::int32_t type : {0, 1, 2, -1}) {
        ButtonSettings b;
        b.button_type = type;
        EXPECT_EQ(button_style(b, 0) & BS_TYPEMASK_, type == 1 ? BS_DEFPUSHBUTTON_ : BS_PUSHBUTTON_);
    }
    for (std::int32_t align : {0, 1, 2, 9}) {
        GroupBoxSettings g;
        g.caption_align = align;
        EXPECT_EQ(group_box_style(g, 0) & BS_CENTER_,
                  align == 0 ? BS_LEFT_ : align == 1 ? BS_CENTER_ : BS_RIGHT_);
    }
}

TEST(StylesToggle, PushLikeFlatAndLeftTextOnlyForOne) {
    for (std::int32_t v : {0, 1, 2}) {
        CheckBoxSettings c;
        c.push_like = c.flat = c.text_left = v;
        const std::uint32_t bits = check_box_style(c, 0) & (BS_PUSHLIKE_ | BS_FLAT_ | BS_LEFTTEXT_);
        EXPECT_EQ(bits, v == 1 ? (BS_PUSHLIKE_ | BS_FLAT_ | BS_LEFTTEXT_) : 0u) << v;
    }
    RadioBoxSettings r;
    r.flat = 1;
    EXPECT_EQ(radio_box_style(r, WS_DISABLED_) & (BS_FLAT_ | WS_DISABLED_), BS_FLAT_ | WS_DISABLED_);
    EXPECT_EQ(picture_style(true), BS_ICON_);
    EXPECT_EQ(picture_style(false), BS_BITMAP_);
}

// --- edit fields ---

TEST(StylesEdit, OptionTable) {
    struct Row {
        const char* what;
        void (*set)(EditBoxSettings&);
        std::uint32_t add;  // bits beyond WS_CHILD | WS_CLIPSIBLINGS
    };
    const Row rows[] = {
        {"defaults", [](EditBoxSettings&) {}, ES_AUTOHSCROLL_},
        {"hide_selection 0", [](EditBoxSettings& s) { s.hide_selection = 0; },
         ES_AUTOHSCROLL_ | ES_NOHIDESEL_},
        {"scroll bars ignored on one line", [](EditBoxSettings& s) { s.scroll_bars = 3; },
         ES_AUTOHSCROLL_},
        {"multi_line 2 is one line", [](EditBoxSettings& s) { s.multi_line = 2; }, ES_AUTOHSCROLL_},
        {"multi, scroll 1", [](EditBoxSettings& s) { s.multi_line = 1, s.scroll_bars = 1; },
         0x1044u | WS_HSCROLL_ | ES_AUTOHSCROLL_},
        {"multi, scroll 2", [](EditBoxSettings& s) { s.multi_line = 1, s.scroll_bars = 2; },
         0x1044u | WS_VSCROLL_},
        {"multi, scroll 3", [](EditBoxSettings& s) { s.multi_line = 1, s.scroll_bars = 3; },
         0x1044u | WS_HSCROLL_ | WS_VSCROLL_ | ES_AUTOHSCROLL_},
        {"multi, scroll 4", [](EditBoxSettings& s) { s.multi_line = 1, s.scroll_bars = 4; },
         0x1044u},
        {"centre", [](EditBoxSettings& s) { s.horizontal_align = 1; }, ES_AUTOHSCROLL_ | ES_CENTER_},
        {"right", [](EditBoxSettings& s) { s.horizontal_align = 2; }, ES_AUTOHSCROLL_ | ES_RIGHT_},
        {"read-only", [](EditBoxSettings& s) { s.input_mode = 1; }, ES_AUTOHSCROLL_ | ES_READONLY_},
        {"password", [](EditBoxSettings& s) { s.input_mode = 2; }, ES_AUTOHSCROLL_ | ES_PASSWORD_},
        {"digits only: no style", [](EditBoxSettings& s) { s.input_mode = 5; }, ES_AUTOHSCROLL_},
        {"lower", [](EditBoxSettings& s) { s.case_conversion = 1; }, ES_AUTOHSCROLL_ | ES_LOWERCASE_},
        {"upper", [](EditBoxSettings& s) { s.case_conversion = 2; }, ES_AUTOHSCROLL_ | ES_UPPERCASE_},
        {"case 3", [](EditBoxSettings& s) { s.case_conversion = 3; }, ES_AUTOHSCROLL_},
    };
    for (const Row& r : rows) {
        EditBoxSettings s;
        r.set(s);
        EXPECT_EQ(edit_style(s, 0), WS_CHILD_ | WS_CLIPSIBLINGS_ | r.add) << r.what;
    }
}

TEST(StylesEdge, BorderStyleTableForLabelAndEdit) {
    struct Row {
        std::int32_t value;
        std::uint32_t ex;
        bool border;
    };
    const Row rows[] = {
        {0, 0, false},
        {1, WS_EX_CLIENTEDGE_, false},
        {2, WS_EX_DLGMODALFRAME_, false},
        {3, WS_EX_STATICEDGE_, false},
        {4, WS_EX_CLIENTEDGE_ | WS_EX_DLGMODALFRAME_, false},
        {5, 0, true},
        {6, 0, false},  // label: painted by itself; edit: none
        {7, 0, false},
        {-1, 0, false},
    };
    for (bool label : {true, false})
        for (const Row& r : rows) {
            const Edge e = border_edge(r.value, label);
            EXPECT_EQ(e.ex_style_add, r.ex) << r.value << " label " << label;
            EXPECT_EQ(e.ws_border, r.border) << r.value << " label " << label;
        }
}

TEST(StylesEdit, MinimumHeightAndUpDown) {
    EXPECT_EQ(edit_min_height(12, 2), 16);
    EXPECT_EQ(edit_min_height(16, 1), 18);
    EXPECT_EQ(updown_range(0, 100), (std::pair<std::int32_t, std::int32_t>{0, 100}));
    EXPECT_EQ(updown_range(90, -10), (std::pair<std::int32_t, std::int32_t>{-10, 90}));
    EXPECT_EQ(updown_range(5, 5), (std::pair<std::int32_t, std::int32_t>{5, 5}));
    EXPECT_EQ(updown_rect({10, 20, 100, 22}), (tk::Rect{110, 20, 18, 22}));
    const std::uint32_t owning = updown_style(1, false);
    EXPECT_EQ(owning & (WS_CHILD_ | UDS_SETBUDDYINT_ | UDS_ARROWKEYS_ | UDS_NOTHOUSANDS_),
              WS_CHILD_ | UDS_SETBUDDYINT_ | UDS_ARROWKEYS_ | UDS_NOTHOUSANDS_);
    EXPECT_EQ(owning & (WS_DISABLED_ | WS_VISIBLE_), 0u);
    EXPECT_EQ(updown_style(2, true) & (UDS_SETBUDDYINT_ | WS_DISABLED_), WS_DISABLED_);
}

// --- the program window ---

TEST(StylesWindow, FrameTable) {
    struct Row {
        const char* what;
        void (*set)(WindowSettings&);
        std::uint32_t style, ex;
    };
    const std::uint32_t clip = WS_CLIPCHILDREN_;
    const std::uint32_t dialog = WS_CAPTION_ | WS_SYSMENU_ | WS_MINIMIZEBOX_;  // defaults
    const Row rows[] = {
        {"defaults", [](WindowSettings&) {}, clip | dialog, 0},
        {"no frame", [](WindowSettings& s) { s.frame_style = 0; }, clip | WS_MINIMIZEBOX_, 0},
        {"sizable", [](WindowSettings& s) { s.frame_style = 1; }, clip | dialog | WS_THICKFRAME_, 0},
        {"sizable tool", [](WindowSettings& s) { s.frame_style = 3; },
         clip | dialog | WS_THICKFRAME_, WS_EX_TOOLWINDOW_},
        {"fixed tool", [](WindowSettings& s) { s.frame_style = 4; }, clip | dialog, WS_EX_TOOLWINDOW_},
        {"sizable sunken", [](WindowSettings& s) { s.frame_style = 5; },
         clip | dialog | WS_THICKFRAME_, WS_EX_CLIENTEDGE_},
        {"fixed sunken", [](WindowSettings& s) { s.frame_style = 6; }, clip | dialog, WS_EX_CLIENTEDGE_},
        {"other frame as fixed", [](WindowSettings& s) { s.frame_style = 9; }, clip | dialog, 0},
        {"no control box, no caption",
         [](WindowSettings& s) { s.control_box = 0; }, clip | WS_DLGFRAME_ | WS_MINIMIZEBOX_, 0},
        {"no control box, caption",
         [](WindowSettings& s) { s.control_box = 0, s.caption = "t"; },
         clip | WS_CAPTION_ | WS_MINIMIZEBOX_, 0},
        {"boxes", [](WindowSettings& s) { s.maximize_box = 1, s.minimize_box = 0; },
         clip | WS_CAPTION_ | WS_SYSMENU_ | WS_MAXIMIZEBOX_, 0},
        {"start minimized", [](WindowSettings& s) { s.start_position = 2; },
         clip | dialog | WS_MINIMIZE_, 0},
        {"maximized needs a sizable frame", [](WindowSettings& s) { s.start_position = 3; },
         clip | dialog, 0},
        {"start maximized", [](WindowSettings& s) { s.start_position = 3, s.frame_style = 5; },
         clip | dialog | WS_THICKFRAME_ | WS_MAXIMIZE_, WS_EX_CLIENTEDGE_},
    };
    for (const Row& r : rows) {
        WindowSettings s;
        r.set(s);
        const WindowFrame f = window_frame(s, 0);
        EXPECT_EQ(f.style, r.style) << r.what;
        EXPECT_EQ(f.ex_style, r.ex) << r.what;
    }
    WindowSettings s;
    EXPECT_EQ(window_frame(s, WS_DISABLED_).style, WS_CLIPCHILDREN_ | dialog | WS_DISABLED_);
}

TEST(StylesWindow, CentringTruncatesTowardZero) {
    EXPECT_EQ(centred_origin(1024, 768, 609, 369), (Origin{207, 199}));
    EXPECT_EQ(centred_origin(600, 768, 609, 369).left, -4);
    EXPECT_EQ(centred_origin(600, 300, 609, 369), (Origin{-4, -34}));
    EXPECT_EQ(centred_origin(609, 369, 609, 369), (Origin{0, 0}));

    WindowSettings s;  // start_position 1
    const tk::Rect stored{50, 50, 609, 369};
    EXPECT_EQ(window_origin(s, stored, {0, 0, 1024, 768}), (Origin{207, 199}));
    for (std::int32_t pos : {0, 2, 3, 7}) {
        s.start_position = pos;
        EXPECT_EQ(window_origin(s, stored, {0, 0, 1024, 768}), (Origin{50, 50})) << pos;
    }
}

// --- fonts, colours, label text ---

TEST(StylesFont, OnlyExactlySixtyBytesMakeAFont) {
    for (std::size_t n : {0u, 1u, 59u, 61u, 120u})
        EXPECT_FALSE(font_record(std::vector<std::uint8_t>(n, 0x55)).has_value()) << n;

    std::vector<std::uint8_t> field(60);
    for (std::size_t i = 0; i < 60; ++i) field[i] = static_cast<std::uint8_t>(100 + i);
    const auto record = font_record(field);
    ASSERT_TRUE(record.has_value());
    for (std::size_t i = 0; i < 60; ++i) {
        switch (i) {
        case 23: EXPECT_EQ((*record)[i], 1); break;
        case 24: EXPECT_EQ((*record)[i], 0); break;
        case 25: EXPECT_EQ((*record)[i], 0); break;
        case 26: EXPECT_EQ((*record)[i], 2); break;
        case 27: EXPECT_EQ((*record)[i], 0); break;
        default: EXPECT_EQ((*record)[i], field[i]) << i;
        }
    }
}

TEST(StylesColor, SystemDefaultIsTheButtonFace) {
    EXPECT_EQ(resolve_color(SYSTEM_DEFAULT_COLOR, 0xC0C0C0), 0xC0C0C0u);
    EXPECT_EQ(resolve_color(0x0000FF, 0xC0C0C0), 0x0000FFu);
    EXPECT_EQ(resolve_color(0, 0xC0C0C0), 0u);
    EXPECT_EQ(resolve_color(0xFF000001, 0xC0C0C0), 0xFF000001u);
}

TEST(StylesLabelText, FlagTable) {
    struct Row {
        std::int32_t h, v, wrap;
        std::uint32_t flags;
    };
    const std::uint32_t nc = DT_NOCLIP_;
    const Row rows[] = {
        {0, 1, 0, nc | DT_SINGLELINE_ | DT_VCENTER_},
        {1, 1, 0, nc | DT_SINGLELINE_ | DT_VCENTER_ | DT_CENTER_},
        {2, 2, 0, nc | DT_SINGLELINE_ | DT_BOTTOM_ | DT_RIGHT_},
        {3, 0, 0, nc | DT_SINGLELINE_},
        {0, 9, 0, nc | DT_SINGLELINE_},
        // Wrapped text: vertical_align plays no part.
        {0, 0, 1, nc | DT_WORDBREAK_ | DT_VCENTER_},
        {0, 2, 1, nc | DT_WORDBREAK_ | DT_VCENTER_},
        {2, 1, 1, nc | DT_WORDBREAK_ | DT_VCENTER_ | DT_RIGHT_},
        {0, 1, 2, nc | DT_SINGLELINE_ | DT_VCENTER_},
    };
    for (const Row& r : rows) {
        LabelSettings s;
        s.horizontal_align = r.h;
        s.vertical_align = r.v;
        s.word_wrap = r.wrap;
        EXPECT_EQ(label_text_flags(s), r.flags) << r.h << "," << r.v << "," << r.wrap;
    }
}

// --- window shapes ---

TEST(StylesShape, BuiltInKinds) {
    using Shape = tk::Toolkit::Shape;
    EXPECT_EQ(window_shape(0, 609, 369).kind, Shape::none);
    EXPECT_EQ(window_shape(30, 609, 369).kind, Shape::none);
    EXPECT_EQ(window_shape(-1, 609, 369).kind, Shape::none);
    EXPECT_EQ(window_shape(1, 609, 369).kind, Shape::ellipse);
    const Shape round = window_shape(2, 609, 369);
    EXPECT_EQ(round.kind, Shape::round_rect);
    EXPECT_EQ(round.corner, 369 / 5);
    EXPECT_EQ(window_shape(2, 100, 400).corner, 20);
    const Shape ring = window_shape(3, 200, 100);
    EXPECT_EQ(ring.kind, Shape::ring);
    EXPECT_GT(ring.corner, 0);
    EXPECT_LT(ring.corner, 50);
}

double area(const std::vector<std::int32_t>& p) {
    double twice = 0;
    const std::size_t n = p.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        twice += double(p[2 * i]) * p[2 * j + 1] - double(p[2 * j]) * p[2 * i + 1];
    }
    return std::abs(twice) / 2;
}

TEST(StylesShape, OutlinesFourToTwentyNineFillTheWindowAndDiffer) {
    const int w = 300, h = 200;
    std::set<std::vector<std::int32_t>> seen;
    for (std::int32_t shape = 4; shape <= 29; ++shape) {
        SCOPED_TRACE(shape);
        const auto s = window_shape(shape, w, h);
        ASSERT_EQ(s.kind, tk::Toolkit::Shape::polygon);
        ASSERT_EQ(s.points.size() % 2, 0u);
        ASSERT_GE(s.points.size(), 6u);
        std::int32_t min_x = w, max_x = 0, min_y = h, max_y = 0;
        for (std::size_t i = 0; i < s.points.size(); i += 2) {
            EXPECT_GE(s.points[i], 0);
            EXPECT_LE(s.points[i], w);
            EXPECT_GE(s.points[i + 1], 0);
            EXPECT_LE(s.points[i + 1], h);
            min_x = std::min(min_x, s.points[i]), max_x = std::max(max_x, s.points[i]);
            min_y = std::min(min_y, s.points[i + 1]), max_y = std::max(max_y, s.points[i + 1]);
        }
        // Each outline spans most of the window and keeps a usable part of its area.
        EXPECT_GE(max_x - min_x, w * 8 / 10);
        EXPECT_GE(max_y - min_y, h * 8 / 10);
        EXPECT_GT(area(s.points), 0.2 * w * h);
        EXPECT_TRUE(seen.insert(s.points).second) << "same outline as an earlier value";
    }
    EXPECT_EQ(window_shape(13, 0, 100).kind, tk::Toolkit::Shape::none);
}

}  // namespace
