// The platform's style, draw-text and up-down constants the core uses, and the pure
// functions that decide every style bit, frame, position, font, colour and shape.
// Names end in "_" so they never meet the platform's macros of the same name.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"
#include "window/settings.h"

namespace ui {

// --- window styles ---
inline constexpr std::uint32_t WS_CHILD_ = 0x40000000, WS_MINIMIZE_ = 0x20000000,
                               WS_VISIBLE_ = 0x10000000, WS_DISABLED_ = 0x08000000,
                               WS_CLIPSIBLINGS_ = 0x04000000, WS_CLIPCHILDREN_ = 0x02000000,
                               WS_MAXIMIZE_ = 0x01000000, WS_CAPTION_ = 0x00C00000,
                               WS_BORDER_ = 0x00800000, WS_DLGFRAME_ = 0x00400000,
                               WS_VSCROLL_ = 0x00200000, WS_HSCROLL_ = 0x00100000,
                               WS_SYSMENU_ = 0x00080000, WS_THICKFRAME_ = 0x00040000,
                               WS_GROUP_ = 0x00020000, WS_TABSTOP_ = 0x00010000,
                               WS_MINIMIZEBOX_ = 0x00020000, WS_MAXIMIZEBOX_ = 0x00010000;

// --- extended window styles ---
inline constexpr std::uint32_t WS_EX_DLGMODALFRAME_ = 0x00000001, WS_EX_TOPMOST_ = 0x00000008,
                               WS_EX_TOOLWINDOW_ = 0x00000080, WS_EX_CLIENTEDGE_ = 0x00000200,
                               WS_EX_STATICEDGE_ = 0x00020000;

// --- button styles ---
inline constexpr std::uint32_t BS_PUSHBUTTON_ = 0x0, BS_DEFPUSHBUTTON_ = 0x1,
                               BS_AUTOCHECKBOX_ = 0x3, BS_GROUPBOX_ = 0x7,
                               BS_AUTORADIOBUTTON_ = 0x9, BS_TYPEMASK_ = 0xF,
                               BS_LEFTTEXT_ = 0x20, BS_ICON_ = 0x40, BS_BITMAP_ = 0x80,
                               BS_LEFT_ = 0x100, BS_RIGHT_ = 0x200, BS_CENTER_ = 0x300,
                               BS_TOP_ = 0x400, BS_BOTTOM_ = 0x800, BS_VCENTER_ = 0xC00,
                               BS_PUSHLIKE_ = 0x1000, BS_MULTILINE_ = 0x2000,
                               BS_FLAT_ = 0x8000;

// --- edit styles ---
inline constexpr std::uint32_t ES_LEFT_ = 0x0, ES_CENTER_ = 0x1, ES_RIGHT_ = 0x2,
                               ES_MULTILINE_ = 0x4, ES_UPPERCASE_ = 0x8, ES_LOWERCASE_ = 0x10,
                               ES_PASSWORD_ = 0x20, ES_AUTOVSCROLL_ = 0x40,
                               ES_AUTOHSCROLL_ = 0x80, ES_NOHIDESEL_ = 0x100,
                               ES_READONLY_ = 0x800, ES_WANTRETURN_ = 0x1000,
                               ES_NUMBER_ = 0x2000;

// --- DrawText flags ---
inline constexpr std::uint32_t DT_TOP_ = 0x0, DT_LEFT_ = 0x0, DT_CENTER_ = 0x1, DT_RIGHT_ = 0x2,
                               DT_VCENTER_ = 0x4, DT_BOTTOM_ = 0x8, DT_WORDBREAK_ = 0x10,
                               DT_SINGLELINE_ = 0x20, DT_NOCLIP_ = 0x100;

// --- up-down control styles ---
inline constexpr std::uint32_t UDS_SETBUDDYINT_ = 0x2, UDS_ALIGNRIGHT_ = 0x4,
                               UDS_ARROWKEYS_ = 0x20, UDS_NOTHOUSANDS_ = 0x80;

// The style bits a record's flags give (disabled, tab stop). Visibility is applied later,
// when the control is shown, so WS_VISIBLE_ never appears here.
std::uint32_t placement_style(std::uint32_t flags);

// Complete window styles of each control kind, `placement` being placement_style's bits.
std::uint32_t button_style(const ButtonSettings& s, std::uint32_t placement);
std::uint32_t group_box_style(const GroupBoxSettings& s, std::uint32_t placement);
std::uint32_t label_style(const LabelSettings& s, std::uint32_t placement);
std::uint32_t edit_style(const EditBoxSettings& s, std::uint32_t placement);
std::uint32_t check_box_style(const CheckBoxSettings& s, std::uint32_t placement);
std::uint32_t radio_box_style(const RadioBoxSettings& s, std::uint32_t placement);

// What a decoded picture adds to a button, check box or radio button.
std::uint32_t picture_style(bool is_icon);

// The edge a label's or edit field's border_style asks for. A label's 6 is painted by the
// label itself and an edit field's 6 means none, so neither changes the window's styles.
struct Edge {
    std::uint32_t ex_style_add = 0;
    bool ws_border = false;
};
Edge border_edge(std::int32_t border_style, bool label);

// The up-down control beside a single-line edit field with spin_mode not 0.
std::uint32_t updown_style(std::int32_t spin_mode, bool field_disabled);
tk::Rect updown_rect(const tk::Rect& field);  // 18 wide, right of the field, as tall
// The range from the smaller to the larger end.
std::pair<std::int32_t, std::int32_t> updown_range(std::int32_t lo, std::int32_t hi);

// A single-line edit field is at least one two-byte character plus both edges tall.
int edit_min_height(int char_height, int edge);

// --- the program window ---
struct WindowFrame {
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
};
// `flags_style` is placement_style of the window's own record.
WindowFrame window_frame(const WindowSettings& s, std::uint32_t flags_style);

struct Origin {
    std::int32_t left = 0, top = 0;
    friend bool operator==(const Origin&, const Origin&) = default;
};
// Centred on a screen; each division truncates toward zero, so (600 - 609) / 2 is -4.
Origin centred_origin(std::int32_t screen_w, std::int32_t screen_h, std::int32_t w,
                      std::int32_t h);
// Where the window opens: centred for start_position 1, else at the stored left, top.
Origin window_origin(const WindowSettings& s, const tk::Rect& stored, const tk::Rect& screen);

// The window's clipping outline for `shape` at outer size w x h; Kind::none for 0 and
// for values without an outline. A ring's band width travels in `corner`.
tk::Toolkit::Shape window_shape(std::int32_t shape, int w, int h);

// --- fonts and colours ---
// Exactly 60 bytes: a LOGFONTA with its charset, precisions, quality and pitch replaced.
// Anything else: nullopt, meaning the default GUI font.
std::optional<std::array<std::uint8_t, 60>> font_record(const std::vector<std::uint8_t>& field);

// SYSTEM_DEFAULT_COLOR stands for the button face of this moment.
Color resolve_color(Color c, Color button_face);

// DrawText flags of a label's text.
std::uint32_t label_text_flags(const LabelSettings& s);

}  // namespace ui
