// Style, frame, placement, font, colour and shape decisions: pure functions of the settings.
#include "window/styles.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "window/form.h"

namespace ui {
namespace {

// Caption position of the system button kinds: 0 left / top, 1 centre, anything else
// right / bottom.
std::uint32_t button_across(std::int32_t align) {
    return align == 0 ? BS_LEFT_ : align == 1 ? BS_CENTER_ : BS_RIGHT_;
}
std::uint32_t button_down(std::int32_t align) {
    return align == 0 ? BS_TOP_ : align == 1 ? BS_VCENTER_ : BS_BOTTOM_;
}

// Check box and radio button differ only in their automatic kind.
std::uint32_t toggle_style(std::uint32_t automatic, std::int32_t push_like, std::int32_t flat,
                           std::int32_t text_left, std::int32_t across, std::int32_t down,
                           std::uint32_t placement) {
    std::uint32_t style = placement | WS_CHILD_ | WS_CLIPSIBLINGS_ | BS_MULTILINE_ | automatic;
    if (push_like == 1) style |= BS_PUSHLIKE_;
    if (flat == 1) style |= BS_FLAT_;
    if (text_left == 1) style |= BS_LEFTTEXT_;
    return style | button_across(across) | button_down(down);
}

}  // namespace

std::uint32_t placement_style(std::uint32_t flags) {
    std::uint32_t style = 0;
    if (flags & form::FLAG_DISABLED) style |= WS_DISABLED_;
    if (flags & form::FLAG_TAB_STOP) style |= WS_TABSTOP_;
    return style;
}

std::uint32_t button_style(const ButtonSettings& s, std::uint32_t placement) {
    std::uint32_t style = placement | WS_CHILD_ | WS_CLIPSIBLINGS_ | BS_MULTILINE_;
    style |= s.button_type == 1 ? BS_DEFPUSHBUTTON_ : BS_PUSHBUTTON_;
    return style | button_across(s.horizontal_align) | button_down(s.vertical_align);
}

std::uint32_t group_box_style(const GroupBoxSettings& s, std::uint32_t placement) {
    return BS_GROUPBOX_ | WS_CHILD_ | WS_CLIPSIBLINGS_ | placement | button_across(s.caption_align);
}

std::uint32_t label_style(const LabelSettings&, std::uint32_t placement) {
    // The edge comes afterwards from border_edge; alignment is the label's own painting.
    return placement | WS_CHILD_ | WS_CLIPSIBLINGS_;
}

std::uint32_t edit_style(const EditBoxSettings& s, std::uint32_t placement) {
    std::uint32_t style = placement | WS_CHILD_ | WS_CLIPSIBLINGS_;
    if (s.hide_selection == 0) style |= ES_NOHIDESEL_;
    if (s.multi_line == 1) {
        style |= ES_MULTILINE_ | ES_AUTOVSCROLL_ | ES_WANTRETURN_;
        // Without ES_AUTOHSCROLL the system breaks long lines at word boundaries.
        if (s.scroll_bars == 1) style |= WS_HSCROLL_ | ES_AUTOHSCROLL_;
        if (s.scroll_bars == 2) style |= WS_VSCROLL_;
        if (s.scroll_bars == 3) style |= WS_HSCROLL_ | WS_VSCROLL_ | ES_AUTOHSCROLL_;
    } else {
        style |= ES_AUTOHSCROLL_;
    }
    if (s.horizontal_align == 1) style |= ES_CENTER_;
    if (s.horizontal_align == 2) style |= ES_RIGHT_;
    if (s.input_mode == 1) style |= ES_READONLY_;
    if (s.input_mode == 2) style |= ES_PASSWORD_;
    if (s.case_conversion == 1) style |= ES_LOWERCASE_;
    if (s.case_conversion == 2) style |= ES_UPPERCASE_;
    return style;
}

std::uint32_t check_box_style(const CheckBoxSettings& s, std::uint32_t placement) {
    return toggle_style(BS_AUTOCHECKBOX_, s.push_like, s.flat, s.text_left, s.horizontal_align,
                        s.vertical_align, placement);
}

std::uint32_t radio_box_style(const RadioBoxSettings& s, std::uint32_t placement) {
    return toggle_style(BS_AUTORADIOBUTTON_, s.push_like, s.flat, s.text_left, s.horizontal_align,
                        s.vertical_align, placement);
}

std::uint32_t picture_style(bool is_icon) { return is_icon ? BS_ICON_ : BS_BITMAP_; }

Edge border_edge(std::int32_t border_style, bool label) {
    (void)label;  // both kinds share 0..5; 6 is the label's own paint or an edit's none
    switch (border_style) {
    case 1: return {WS_EX_CLIENTEDGE_, false};
    case 2: return {WS_EX_DLGMODALFRAME_, false};
    case 3: return {WS_EX_STATICEDGE_, false};
    case 4: return {WS_EX_CLIENTEDGE_ | WS_EX_DLGMODALFRAME_, false};
    case 5: return {0, true};
    default: return {0, false};
    }
}

std::uint32_t updown_style(std::int32_t spin_mode, bool field_disabled) {
    std::uint32_t style = WS_CHILD_ | WS_CLIPSIBLINGS_ | UDS_ARROWKEYS_ | UDS_NOTHOUSANDS_;
    // Mode 1 lets the control step the field's number itself; mode 2 only reports steps.
    if (spin_mode == 1) style |= UDS_SETBUDDYINT_;
    if (field_disabled) style |= WS_DISABLED_;
    return style;
}

tk::Rect updown_rect(const tk::Rect& field) {
    return {field.left + field.width, field.top, 18, field.height};
}

std::pair<std::int32_t, std::int32_t> updown_range(std::int32_t lo, std::int32_t hi) {
    return {std::min(lo, hi), std::max(lo, hi)};
}

int edit_min_height(int char_height, int edge) { return char_height + 2 * edge; }

// --- the program window ---

WindowFrame window_frame(const WindowSettings& s, std::uint32_t flags_style) {
    WindowFrame f{WS_CLIPCHILDREN_ | flags_style, 0};
    if (s.frame_style != 0) {
        f.style |= WS_DLGFRAME_;
        if (!s.caption.empty() || s.control_box == 1) f.style |= WS_CAPTION_;
        if (s.control_box == 1) f.style |= WS_SYSMENU_;
    }
    switch (s.frame_style) {
    case 1: f.style |= WS_THICKFRAME_; break;
    case 3: f.style |= WS_THICKFRAME_; f.ex_style |= WS_EX_TOOLWINDOW_; break;
    case 4: f.ex_style |= WS_EX_TOOLWINDOW_; break;
    case 5: f.style |= WS_THICKFRAME_; f.ex_style |= WS_EX_CLIENTEDGE_; break;
    case 6: f.ex_style |= WS_EX_CLIENTEDGE_; break;
    default: break;
    }
    if (s.maximize_box == 1) f.style |= WS_MAXIMIZEBOX_;
    if (s.minimize_box == 1) f.style |= WS_MINIMIZEBOX_;
    if (s.start_position == 2) f.style |= WS_MINIMIZE_;
    // Only a sizable frame can start maximized.
    if (s.start_position == 3 && (f.style & WS_THICKFRAME_)) f.style |= WS_MAXIMIZE_;
    return f;
}

Origin centred_origin(std::int32_t screen_w, std::int32_t screen_h, std::int32_t w,
                      std::int32_t h) {
    // C++ integer division truncates toward zero, which is the rule wanted here.
    return {(screen_w - w) / 2, (screen_h - h) / 2};
}

Origin window_origin(const WindowSettings& s, const tk::Rect& stored, const tk::Rect& screen) {
    if (s.start_position == 1)
        return centred_origin(screen.width, screen.height, stored.width, stored.height);
    return {stored.left, stored.top};
}

// --- window shapes ---
namespace {

using Shape = tk::Toolkit::Shape;

struct Builder {
    double w, h;
    Shape shape{Shape::polygon, 0, {}};

    // A point in a 0..1 box, scaled to the window.
    void unit(double u, double v) {
        shape.points.push_back(static_cast<std::int32_t>(std::lround(u * w)));
        shape.points.push_back(static_cast<std::int32_t>(std::lround(v * h)));
    }
    void units(std::initializer_list<std::pair<double, double>> pts) {
        for (auto [u, v] : pts) unit(u, v);
    }
    // Points on the ellipse inscribed in the box: angle 0 points up, clockwise.
    void ring_point(double angle, double radius) {
        unit(0.5 + 0.5 * radius * std::sin(angle), 0.5 - 0.5 * radius * std::cos(angle));
    }
    void regular(int n, double turn) {
        for (int i = 0; i < n; ++i) ring_point(2 * std::numbers::pi * (i + turn) / n, 1.0);
    }
    void star(int tips, double inner) {
        for (int i = 0; i < 2 * tips; ++i)
            ring_point(std::numbers::pi * i / tips, i % 2 == 0 ? 1.0 : inner);
    }
    void heart() {
        // The classic parametric heart, fitted to the box.
        constexpr int n = 48;
        std::vector<std::pair<double, double>> pts;
        double min_x = 1e9, max_x = -1e9, min_y = 1e9, max_y = -1e9;
        for (int i = 0; i < n; ++i) {
            const double t = 2 * std::numbers::pi * i / n;
            const double x = 16 * std::pow(std::sin(t), 3);
            const double y = -(13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) -
                               std::cos(4 * t));
            pts.emplace_back(x, y);
            min_x = std::min(min_x, x), max_x = std::max(max_x, x);
            min_y = std::min(min_y, y), max_y = std::max(max_y, y);
        }
        for (auto [x, y] : pts) unit((x - min_x) / (max_x - min_x), (y - min_y) / (max_y - min_y));
    }
};

}  // namespace

tk::Toolkit::Shape window_shape(std::int32_t shape, int w, int h) {
    if (w <= 0 || h <= 0) return {};
    const int shorter = std::min(w, h);
    switch (shape) {
    case 1: return {Shape::ellipse, 0, {}};
    case 2: return {Shape::round_rect, shorter / 5, {}};
    case 3: return {Shape::ring, std::max(1, shorter / 4), {}};
    default: break;
    }
    if (shape < 4 || shape > 29) return {};
    Builder b{static_cast<double>(w), static_cast<double>(h)};
    switch (shape) {
    case 4: b.units({{0.5, 0}, {1, 1}, {0, 1}}); break;                  // triangle up
    case 5: b.units({{0, 0}, {1, 0}, {0.5, 1}}); break;                  // triangle down
    case 6: b.units({{0, 0.5}, {1, 0}, {1, 1}}); break;                  // triangle left
    case 7: b.units({{0, 0}, {1, 0.5}, {0, 1}}); break;                  // triangle right
    case 8: b.units({{0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}}); break;    // diamond
    case 9: b.regular(5, 0); break;                                      // pentagon
    case 10: b.regular(6, 0.5); break;                                   // hexagon, flat top
    case 11: b.regular(8, 0.5); break;                                   // octagon, flat top
    case 12: b.star(4, 0.38); break;
    case 13: b.star(5, 0.38); break;
    case 14: b.star(6, 0.55); break;
    case 15: b.star(8, 0.6); break;
    case 16: b.star(12, 0.75); break;                                    // burst
    case 17:                                                             // plus
        b.units({{1 / 3., 0}, {2 / 3., 0}, {2 / 3., 1 / 3.}, {1, 1 / 3.}, {1, 2 / 3.},
                 {2 / 3., 2 / 3.}, {2 / 3., 1}, {1 / 3., 1}, {1 / 3., 2 / 3.}, {0, 2 / 3.},
                 {0, 1 / 3.}, {1 / 3., 1 / 3.}});
        break;
    case 18:                                                             // saltire
        b.units({{0, 0.2}, {0.2, 0}, {0.5, 0.3}, {0.8, 0}, {1, 0.2}, {0.7, 0.5}, {1, 0.8},
                 {0.8, 1}, {0.5, 0.7}, {0.2, 1}, {0, 0.8}, {0.3, 0.5}});
        break;
    case 19:                                                             // arrow right
        b.units({{0, 0.3}, {0.6, 0.3}, {0.6, 0}, {1, 0.5}, {0.6, 1}, {0.6, 0.7}, {0, 0.7}});
        break;
    case 20:                                                             // arrow left
        b.units({{1, 0.3}, {0.4, 0.3}, {0.4, 0}, {0, 0.5}, {0.4, 1}, {0.4, 0.7}, {1, 0.7}});
        break;
    case 21:                                                             // arrow up
        b.units({{0.3, 1}, {0.3, 0.4}, {0, 0.4}, {0.5, 0}, {1, 0.4}, {0.7, 0.4}, {0.7, 1}});
        break;
    case 22:                                                             // arrow down
        b.units({{0.3, 0}, {0.3, 0.6}, {0, 0.6}, {0.5, 1}, {1, 0.6}, {0.7, 0.6}, {0.7, 0}});
        break;
    case 23: b.heart(); break;
    case 24: b.units({{0.2, 0}, {1, 0}, {0.8, 1}, {0, 1}}); break;       // parallelogram
    case 25: b.units({{0.2, 0}, {0.8, 0}, {1, 1}, {0, 1}}); break;       // trapezoid
    case 26:                                                             // chevron
        b.units({{0, 0}, {0.6, 0}, {1, 0.5}, {0.6, 1}, {0, 1}, {0.4, 0.5}});
        break;
    case 27: b.units({{0.5, 0}, {1, 0.4}, {1, 1}, {0, 1}, {0, 0.4}}); break;  // house
    case 28:                                                             // speech bubble
        b.units({{0, 0}, {1, 0}, {1, 0.75}, {0.45, 0.75}, {0.2, 1}, {0.25, 0.75}, {0, 0.75}});
        break;
    case 29:                                                             // bevelled corners
        b.units({{0.15, 0}, {0.85, 0}, {1, 0.15}, {1, 0.85}, {0.85, 1}, {0.15, 1}, {0, 0.85},
                 {0, 0.15}});
        break;
    default: break;
    }
    return b.shape;
}

// --- fonts and colours ---

std::optional<std::array<std::uint8_t, 60>> font_record(const std::vector<std::uint8_t>& field) {
    if (field.size() != 60) return std::nullopt;
    std::array<std::uint8_t, 60> record{};
    std::copy(field.begin(), field.end(), record.begin());
    // LOGFONTA offsets: lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily.
    record[23] = 1;  // DEFAULT_CHARSET
    record[24] = 0;
    record[25] = 0;
    record[26] = 2;  // PROOF_QUALITY
    record[27] = 0;
    return record;
}

Color resolve_color(Color c, Color button_face) {
    return c == SYSTEM_DEFAULT_COLOR ? button_face : c;
}

std::uint32_t label_text_flags(const LabelSettings& s) {
    std::uint32_t flags = DT_NOCLIP_;
    if (s.horizontal_align == 1) flags |= DT_CENTER_;
    if (s.horizontal_align == 2) flags |= DT_RIGHT_;
    if (s.word_wrap == 1) {
        // The system centres only single lines, so wrapped text starts at the top anyway.
        flags |= DT_WORDBREAK_ | DT_VCENTER_;
    } else {
        flags |= DT_SINGLELINE_;
        if (s.vertical_align == 1) flags |= DT_VCENTER_;
        if (s.vertical_align == 2) flags |= DT_BOTTOM_;
    }
    return flags;
}

}  // namespace ui
