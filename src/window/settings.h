// The kind-specific settings blocks that end each unit record, with their defaults, and the
// one reader that turns a block into a settings record.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace ui {

using Color = tk::Color;  // 0x00BBGGRR

// In a background colour: the system's button-face colour, looked up when the colour is used.
inline constexpr std::uint32_t SYSTEM_DEFAULT_COLOR = 0xFF000000;

// ByteFields hold raw bytes; TextFields GBK text without terminator.
using ByteField = std::vector<std::uint8_t>;
using TextField = std::string;

struct WindowSettings {
    std::uint32_t version = 0;
    std::int32_t frame_style = 2;
    std::int32_t picture_mode = 1;
    Color back_color = SYSTEM_DEFAULT_COLOR;
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
    TextField window_class;              // version 6
    ByteField picture;
    ByteField icon;
    ByteField music;
    TextField caption;
    TextField help_file;
};

struct ButtonSettings {
    std::uint32_t version = 0;
    std::int32_t button_type = 0;
    std::int32_t horizontal_align = 1;
    std::int32_t vertical_align = 1;
    ByteField picture;
    ByteField font;
    TextField caption = "按钮";
};

struct GroupBoxSettings {
    std::uint32_t version = 0;
    std::int32_t caption_align = 0;
    Color text_color = 0x000000;
    Color back_color = SYSTEM_DEFAULT_COLOR;
    ByteField font;
    TextField caption;
};

struct LabelSettings {
    std::uint32_t version = 0;
    std::int32_t text_effect = 0;
    std::int32_t gradient_border_width = 8;
    std::int32_t border_style = 0;
    std::array<Color, 3> gradient_border_colors = {0x808080, 0xFFFFFF, 0x808080};
    Color text_color = 0x000000;
    Color back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t picture_mode = 1;
    std::int32_t gradient_mode = 0;
    std::array<Color, 3> gradient_colors = {0x808080, 0xFFFFFF, 0x808080};
    std::int32_t horizontal_align = 0;
    std::int32_t vertical_align = 1;
    std::int32_t word_wrap = 0;
    ByteField font;
    ByteField picture;
    TextField caption = "标签";
    TextField data_source;  // version 2
    TextField data_column;  // version 2
};

struct EditBoxSettings {
    std::uint32_t version = 0;
    std::int32_t border_style = 1;
    Color text_color = 0x000000;
    Color back_color = 0xFFFFFF;
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
    ByteField font;
    TextField text;
    TextField data_source;  // version 2
    TextField data_column;  // version 2
};

struct CheckBoxSettings {
    std::uint32_t version = 0;
    std::int32_t push_like = 0;
    std::int32_t flat = 0;
    std::int32_t text_left = 0;
    std::int32_t horizontal_align = 0;
    std::int32_t vertical_align = 1;
    Color text_color = 0x000000;
    Color back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t check_state = 0;
    ByteField picture;
    ByteField font;
    TextField caption = "选择框";
    TextField data_source;  // version 2
    TextField data_column;  // version 2
};

// The radio button shares the check box's layout; its blocks stop at version 1, so the two
// data fields are never read and stay empty.
struct RadioBoxSettings {
    std::uint32_t version = 0;
    std::int32_t push_like = 0;
    std::int32_t flat = 0;
    std::int32_t text_left = 0;
    std::int32_t horizontal_align = 0;
    std::int32_t vertical_align = 1;
    Color text_color = 0x000000;
    Color back_color = SYSTEM_DEFAULT_COLOR;
    std::int32_t check_state = 0;
    ByteField picture;
    ByteField font;
    TextField caption = "单选框";
    TextField data_source;
    TextField data_column;
};

// Each resets `out` to the kind's defaults, then reads `block` (size 0: all defaults).
// False when the version is above the kind's highest or the block ends inside a field.
// Nothing is read past the block. Only std::bad_alloc can escape.
bool read_settings(std::span<const std::uint8_t> block, WindowSettings& out);
bool read_settings(std::span<const std::uint8_t> block, ButtonSettings& out);
bool read_settings(std::span<const std::uint8_t> block, LabelSettings& out);
bool read_settings(std::span<const std::uint8_t> block, GroupBoxSettings& out);
bool read_settings(std::span<const std::uint8_t> block, EditBoxSettings& out);
bool read_settings(std::span<const std::uint8_t> block, CheckBoxSettings& out);
bool read_settings(std::span<const std::uint8_t> block, RadioBoxSettings& out);

}  // namespace ui
