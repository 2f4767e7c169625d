// The live object of a unit while its window is open: what the creators made and what the
// control answers for itself (colours, its own properties, its events).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "toolkit/toolkit.h"
#include "window/form.h"
#include "window/settings.h"

namespace ui {

struct Control {
    tk::Handle handle = nullptr;
    std::uint32_t window_id = 0;
    std::uint32_t unit_id = 0;
    std::uint32_t kind = 0;

    // What the control owns until it is destroyed.
    tk::Brush brush = nullptr;
    tk::Font font = nullptr;     // null: the stock default GUI font
    tk::Image image = nullptr;   // a decoded picture: a button's, or a label's background
    std::int32_t image_width = 0, image_height = 0;
    bool picture_decoded = false;  // a label decodes its picture on its first paint
    tk::Handle updown = nullptr;   // an edit field's up-down control
    tk::Handle owner = nullptr;    // the hidden owner of a window without a task-bar button
    tk::Image icon_big = nullptr, icon_small = nullptr;
    tk::Cursor cursor = nullptr;

    // Colours answered to colour requests; unset: the control answers nothing.
    std::optional<tk::ColorAnswer> colors;

    // EditBox: its stored text and the mark that a write by the program is in progress.
    std::string stored_text;
    bool set_by_program = false;
    bool claims_enter = false;  // a multi-line, editable field takes Enter itself
    std::int32_t spin_mode = 0;
    std::int32_t spin_lower = 0, spin_upper = 0;

    // CheckBox / RadioBox: the stored check state, updated on every read.
    std::int32_t check_state = 0;

    // Button: a default push button raises its click on Enter.
    bool default_button = false;

    // Label and window: the settings their paint needs.
    std::unique_ptr<LabelSettings> label;
    std::unique_ptr<WindowSettings> window;
    // The window: the control that had the focus when it was deactivated.
    tk::Handle remembered_focus = nullptr;
};

// What open_window hands a control's creator.
struct ControlPlacement {
    tk::Handle parent = nullptr;
    std::int32_t child_id = 0;
    tk::Rect rect;
    std::uint32_t style = 0;  // from the record's flags: disabled, tab stop; never visible
    std::uint32_t window_id = 0;
    std::uint32_t unit_id = 0;
};

// The creators: each returns the new control, a hidden child window, or null on failure
// (a settings block that cannot be read, or the system refusing the window).
using Creator = std::unique_ptr<Control> (*)(std::span<const std::uint8_t> block,
                                             const ControlPlacement& placement);
std::unique_ptr<Control> create_button(std::span<const std::uint8_t> block, const ControlPlacement& p);
std::unique_ptr<Control> create_label(std::span<const std::uint8_t> block, const ControlPlacement& p);
std::unique_ptr<Control> create_group_box(std::span<const std::uint8_t> block, const ControlPlacement& p);
std::unique_ptr<Control> create_edit_box(std::span<const std::uint8_t> block, const ControlPlacement& p);
std::unique_ptr<Control> create_check_box(std::span<const std::uint8_t> block, const ControlPlacement& p);
std::unique_ptr<Control> create_radio_box(std::span<const std::uint8_t> block, const ControlPlacement& p);
// The window's own creator; `placement.rect` is the stored rectangle.
std::unique_ptr<Control> create_window(std::span<const std::uint8_t> block, const ControlPlacement& p);
// The creator of a kind, or null for a kind without one.
Creator creator_of(std::uint32_t kind);

// The program's object of a window or control, or null for one that is not ours.
inline Control* control_of(tk::Toolkit& t, tk::Handle h) {
    return h != nullptr ? static_cast<Control*>(t.user(h)) : nullptr;
}

// Releases what a control made (font, brush, pictures, cursor, owner window).
void release_resources(Control& c);

}  // namespace ui
