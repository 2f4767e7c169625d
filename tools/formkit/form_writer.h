// Turns a readable description of windows and their units into form data bytes, and encodes the
// settings block of every kind. Used by form_gen for the real form and by tests for fixtures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/form.h"

namespace formkit {

using Bytes = std::vector<std::uint8_t>;

// --- field encoders (little-endian) ---
void put_i16(Bytes& out, std::int16_t v);
void put_u32(Bytes& out, std::uint32_t v);
void put_i32(Bytes& out, std::int32_t v);
void put_bytes(Bytes& out, std::span<const std::uint8_t> bytes);
void put_zero_terminated(Bytes& out, std::string_view text);
void put_byte_field(Bytes& out, std::span<const std::uint8_t> bytes);  // empty: count 0
void put_text_field(Bytes& out, std::string_view text);

// --- the readable description ---
struct Binding {
    std::int32_t event = 0;
    std::int32_t handler = form::NO_HANDLER;  // index into the program's handler table
};

struct Unit {
    std::uint32_t id = 0;
    std::uint32_t kind = 0;
    std::uint32_t event_source = 0;
    std::string name;  // GBK
    std::string comment;
    std::int32_t object_slot = 0;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::int32_t pointer_slot = 0;
    std::uint32_t parent = 0;
    std::vector<std::uint32_t> children;
    Bytes mouse_pointer;
    std::string tag;
    std::int32_t reserved = 0;
    std::uint32_t flags = 0;
    std::int32_t tab_order = 0;
    std::vector<Binding> events;
    Bytes settings;
};

struct Window {
    std::uint32_t id = 0;
    std::uint32_t placeholder = 0;
    std::int32_t reserved0 = 0;
    std::uint32_t reserved1 = 0;
    std::string reserved_text0, reserved_text1;
    std::vector<Unit> units;  // list order
};

struct Form {
    std::vector<Window> windows;
};

// Sets every unit's children to the units whose parent names it, in list order.
void fill_children(std::vector<Unit>& units);

// --- where write_form put things, so tests can damage a chosen field ---
struct RecordLayout {
    std::size_t size_at = 0;   // the u32 body size
    std::size_t body_at = 0;
    std::size_t children_at = 0;  // the children count
    std::size_t mouse_pointer_at = 0;
    std::size_t events_at = 0;    // the events count
    std::size_t settings_at = 0;
    std::size_t end = 0;
};
struct WindowLayout {
    std::size_t entry_at = 0;
    std::size_t unit_count_at = 0;
    std::size_t table_length_at = 0;
    std::size_t ids_at = 0;
    std::size_t offsets_at = 0;
    std::size_t records_at = 0;
    std::size_t end = 0;
    std::vector<RecordLayout> records;
};
struct FormLayout {
    std::size_t window_list_length_at = 0;
    std::vector<WindowLayout> windows;
    std::size_t end = 0;
};

// The body of one unit record, from kind to the end of the settings block.
Bytes record_body(const Unit& unit);
Bytes write_form(const Form& form, FormLayout* layout = nullptr);

// --- settings blocks; each encoder writes exactly the fields that `version` carries ---
inline constexpr std::uint32_t SYSTEM_DEFAULT_COLOR = 0xFF000000;

struct WindowSettings {
    std::uint32_t version = 6;
    std::int32_t frame_style = 2;
    std::int32_t picture_mode = 1;
    std::uint32_t back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t maximize_box = 0;
    std::int32_t minimize_box = 1;
    std::int32_t control_box = 1;
    std::int32_t start_position = 1;
    std::int32_t movable = 1;
    std::int32_t music_repeat = 0;
    std::int32_t enter_moves_focus = 0;
    std::int32_t escape_closes = 1;
    std::int32_t f1_opens_help = 0;
    std::int32_t help_context = 0;
    std::int32_t show_in_taskbar = 1;    // version 2 on
    std::int32_t drag_anywhere = 0;      // version 3 on
    std::int32_t shape = 0;              // version 3 on
    std::int32_t always_on_top = 0;      // version 4 on
    std::int32_t keep_title_active = 0;  // version 5 on
    std::string window_class;            // version 6 on
    Bytes picture, icon, music;
    std::string caption;
    std::string help_file;
};

struct ButtonSettings {
    std::uint32_t version = 1;
    std::int32_t button_type = 0;
    std::int32_t horizontal_align = 1;
    std::int32_t vertical_align = 1;
    Bytes picture, font;
    std::string caption = "按钮";
};

struct GroupBoxSettings {
    std::uint32_t version = 1;
    std::int32_t caption_align = 0;
    std::uint32_t text_color = 0x000000;
    std::uint32_t back_color = SYSTEM_DEFAULT_COLOR;
    Bytes font;
    std::string caption;
};

struct LabelSettings {
    std::uint32_t version = 2;
    std::int32_t text_effect = 0;
    std::int32_t gradient_border_width = 8;
    std::int32_t border_style = 0;
    std::uint32_t gradient_border_colors[3] = {0x808080, 0xFFFFFF, 0x808080};
    std::uint32_t text_color = 0x000000;
    std::uint32_t back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t picture_mode = 1;
    std::int32_t gradient_mode = 0;
    std::uint32_t gradient_colors[3] = {0x808080, 0xFFFFFF, 0x808080};
    std::int32_t horizontal_align = 0;
    std::int32_t vertical_align = 1;
    std::int32_t word_wrap = 0;
    Bytes font, picture;
    std::string caption = "标签";
    std::string data_source, data_column;  // version 2 on
};

struct EditBoxSettings {
    std::uint32_t version = 2;
    std::int32_t border_style = 1;
    std::uint32_t text_color = 0x000000;
    std::uint32_t back_color = 0xFFFFFF;
    std::int32_t hide_selection = 1;
    std::int32_t max_length = 0;
    std::int32_t multi_line = 0;
    std::int32_t scroll_bars = 0;
    std::int32_t horizontal_align = 0;
    std::int32_t input_mode = 0;
    std::int16_t password_char = 0x002A;
    std::int32_t case_conversion = 0;
    std::int32_t spin_mode = 0;
    std::int32_t spin_lower = 0;
    std::int32_t spin_upper = 100;
    std::int32_t selection_start = 0;
    std::int32_t selection_length = 0;
    Bytes font;
    std::string text;
    std::string data_source, data_column;  // version 2 on
};

// Check boxes and radio buttons share one layout; only a check box of version 2 carries the
// data source fields.
struct CheckBoxSettings {
    std::uint32_t version = 2;
    std::int32_t push_like = 0;
    std::int32_t flat = 0;
    std::int32_t text_left = 0;
    std::int32_t horizontal_align = 0;
    std::int32_t vertical_align = 1;
    std::uint32_t text_color = 0x000000;
    std::uint32_t back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t check_state = 0;
    Bytes picture, font;
    std::string caption = "选择框";
    std::string data_source, data_column;  // version 2 on
};

struct RadioBoxSettings {
    std::uint32_t version = 1;
    std::int32_t push_like = 0;
    std::int32_t flat = 0;
    std::int32_t text_left = 0;
    std::int32_t horizontal_align = 0;
    std::int32_t vertical_align = 1;
    std::uint32_t text_color = 0x000000;
    std::uint32_t back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t check_state = 0;
    Bytes picture, font;
    std::string caption = "单选框";
};

Bytes encode(const WindowSettings& s);
Bytes encode(const ButtonSettings& s);
Bytes encode(const GroupBoxSettings& s);
Bytes encode(const LabelSettings& s);
Bytes encode(const EditBoxSettings& s);
Bytes encode(const CheckBoxSettings& s);
Bytes encode(const RadioBoxSettings& s);

}  // namespace formkit
