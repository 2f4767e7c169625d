// One table-driven reader for every kind's settings block: each kind is a list of rows
// (how the field is stored, its width, the first version that has it, where it goes).
#include "window/settings.h"

#include <algorithm>
#include <variant>

namespace ui {
namespace {

enum class FieldKind { integer, colour, byte_field, text_field };

// One of three colours held in an array member (a member pointer cannot name an element).
template <class S>
struct ColourSlot {
    std::array<Color, 3> S::*array;
    std::size_t index;
};

template <class S>
using Target = std::variant<std::int32_t S::*, std::int16_t S::*, Color S::*, ColourSlot<S>,
                            ByteField S::*, TextField S::*>;

template <class S>
struct Field {
    FieldKind kind;
    std::size_t width;    // bytes of an integer or colour; a field's count is always 4
    std::uint32_t since;  // first version that carries the field
    Target<S> target;
};

// Row builders: the only way rows are made, so kind, width and target always agree.
template <class S>
constexpr Field<S> int32(std::int32_t S::*m, std::uint32_t since = 0) {
    return {FieldKind::integer, 4, since, m};
}
template <class S>
constexpr Field<S> int16(std::int16_t S::*m) {
    return {FieldKind::integer, 2, 0, m};
}
template <class S>
constexpr Field<S> colour(Color S::*m) {
    return {FieldKind::colour, 4, 0, m};
}
template <class S>
constexpr Field<S> colour(std::array<Color, 3> S::*m, std::size_t index) {
    return {FieldKind::colour, 4, 0, ColourSlot<S>{m, index}};
}
template <class S>
constexpr Field<S> bytes(ByteField S::*m) {
    return {FieldKind::byte_field, 4, 0, m};
}
template <class S>
constexpr Field<S> text(TextField S::*m, std::uint32_t since = 0) {
    return {FieldKind::text_field, 4, since, m};
}

// --- the layouts, in stored order after `version` ---

using W = WindowSettings;
constexpr Field<W> kWindowFields[] = {
    int32(&W::frame_style),
    int32(&W::picture_mode),
    colour(&W::back_color),
    int32(&W::maximize_box),
    int32(&W::minimize_box),
    int32(&W::control_box),
    int32(&W::start_position),
    int32(&W::movable),
    int32(&W::music_repeat),
    int32(&W::enter_moves_focus),
    int32(&W::escape_closes),
    int32(&W::f1_opens_help),
    int32(&W::help_context),
    int32(&W::show_in_taskbar, 2),
    int32(&W::drag_anywhere, 3),
    int32(&W::shape, 3),
    int32(&W::always_on_top, 4),
    int32(&W::keep_title_active, 5),
    text(&W::window_class, 6),
    bytes(&W::picture),
    bytes(&W::icon),
    bytes(&W::music),
    text(&W::caption),
    text(&W::help_file),
};

using B = ButtonSettings;
constexpr Field<B> kButtonFields[] = {
    int32(&B::button_type), int32(&B::horizontal_align), int32(&B::vertical_align),
    bytes(&B::picture),     bytes(&B::font),             text(&B::caption),
};

using G = GroupBoxSettings;
constexpr Field<G> kGroupBoxFields[] = {
    int32(&G::caption_align), colour(&G::text_color), colour(&G::back_color),
    bytes(&G::font),          text(&G::caption),
};

using L = LabelSettings;
constexpr Field<L> kLabelFields[] = {
    int32(&L::text_effect),
    int32(&L::gradient_border_width),
    int32(&L::border_style),
    colour(&L::gradient_border_colors, 0),
    colour(&L::gradient_border_colors, 1),
    colour(&L::gradient_border_colors, 2),
    colour(&L::text_color),
    colour(&L::back_color),
    int32(&L::picture_mode),
    int32(&L::gradient_mode),
    colour(&L::gradient_colors, 0),
    colour(&L::gradient_colors, 1),
    colour(&L::gradient_colors, 2),
    int32(&L::horizontal_align),
    int32(&L::vertical_align),
    int32(&L::word_wrap),
    bytes(&L::font),
    bytes(&L::picture),
    text(&L::caption),
    text(&L::data_source, 2),
    text(&L::data_column, 2),
};

using E = EditBoxSettings;
constexpr Field<E> kEditBoxFields[] = {
    int32(&E::border_style),
    colour(&E::text_color),
    colour(&E::back_color),
    int32(&E::hide_selection),
    int32(&E::max_length),
    int32(&E::multi_line),
    int32(&E::scroll_bars),
    int32(&E::horizontal_align),
    int32(&E::input_mode),
    int16(&E::password_char),
    int32(&E::case_conversion),
    int32(&E::spin_mode),
    int32(&E::spin_lower),
    int32(&E::spin_upper),
    int32(&E::selection_start),
    int32(&E::selection_length),
    bytes(&E::font),
    text(&E::text),
    text(&E::data_source, 2),
    text(&E::data_column, 2),
};

// Check box and radio button share one layout; the radio's highest version (1) keeps the
// data fields out of reach.
template <class S>
constexpr auto toggle_fields() {
    return std::array<Field<S>, 13>{
        int32(&S::push_like),
        int32(&S::flat),
        int32(&S::text_left),
        int32(&S::horizontal_align),
        int32(&S::vertical_align),
        colour(&S::text_color),
        colour(&S::back_color),
        int32(&S::check_state),
        bytes(&S::picture),
        bytes(&S::font),
        text(&S::caption),
        text(&S::data_source, 2),
        text(&S::data_column, 2),
    };
}
constexpr auto kCheckBoxFields = toggle_fields<CheckBoxSettings>();
constexpr auto kRadioBoxFields = toggle_fields<RadioBoxSettings>();

// --- the reader ---

struct Cursor {
    std::span<const std::uint8_t> block;
    std::size_t at = 0;

    bool take(std::size_t n, std::span<const std::uint8_t>& out) {
        if (block.size() - at < n) return false;
        out = block.subspan(at, n);
        at += n;
        return true;
    }
    bool little_endian(std::size_t width, std::uint32_t& value) {
        std::span<const std::uint8_t> b;
        if (!take(width, b)) return false;
        value = 0;
        for (std::size_t i = 0; i < width; ++i) value |= std::uint32_t{b[i]} << (8 * i);
        return true;
    }
    // A signed count, then that many bytes; a count of 0 or less means empty.
    bool counted(std::span<const std::uint8_t>& out) {
        std::uint32_t raw = 0;
        if (!little_endian(4, raw)) return false;
        const auto count = static_cast<std::int32_t>(raw);
        out = {};
        if (count <= 0) return true;
        return take(static_cast<std::size_t>(count), out);
    }
};

template <class S>
struct Store {
    S& out;
    std::uint32_t number;
    std::span<const std::uint8_t> data;

    void operator()(std::int32_t S::*m) const { out.*m = static_cast<std::int32_t>(number); }
    void operator()(std::int16_t S::*m) const {
        out.*m = static_cast<std::int16_t>(static_cast<std::uint16_t>(number));
    }
    void operator()(Color S::*m) const { out.*m = number; }
    void operator()(ColourSlot<S> slot) const { (out.*slot.array)[slot.index] = number; }
    void operator()(ByteField S::*m) const { (out.*m).assign(data.begin(), data.end()); }
    void operator()(TextField S::*m) const {
        // The text ends at its first zero byte.
        const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
        (out.*m).assign(data.begin(), end);
    }
};

template <class S>
bool read_fields(std::span<const std::uint8_t> block, std::span<const Field<S>> fields,
                 std::uint32_t highest, S& out) {
    out = S{};
    if (block.empty()) return true;
    Cursor cursor{block};
    std::uint32_t version = 0;
    if (!cursor.little_endian(4, version) || version > highest) return false;
    out.version = version;
    for (const Field<S>& field : fields) {
        if (version < field.since) continue;
        Store<S> store{out, 0, {}};
        switch (field.kind) {
        case FieldKind::integer:
        case FieldKind::colour:
            if (!cursor.little_endian(field.width, store.number)) return false;
            break;
        case FieldKind::byte_field:
        case FieldKind::text_field:
            if (!cursor.counted(store.data)) return false;
            break;
        }
        std::visit(store, field.target);
    }
    return true;  // bytes after the last field are ignored
}

}  // namespace

bool read_settings(std::span<const std::uint8_t> block, WindowSettings& out) {
    return read_fields(block, std::span<const Field<W>>(kWindowFields), 6, out);
}
bool read_settings(std::span<const std::uint8_t> block, ButtonSettings& out) {
    return read_fields(block, std::span<const Field<B>>(kButtonFields), 1, out);
}
bool read_settings(std::span<const std::uint8_t> block, LabelSettings& out) {
    return read_fields(block, std::span<const Field<L>>(kLabelFields), 2, out);
}
bool read_settings(std::span<const std::uint8_t> block, GroupBoxSettings& out) {
    return read_fields(block, std::span<const Field<G>>(kGroupBoxFields), 1, out);
}
bool read_settings(std::span<const std::uint8_t> block, EditBoxSettings& out) {
    return read_fields(block, std::span<const Field<E>>(kEditBoxFields), 2, out);
}
bool read_settings(std::span<const std::uint8_t> block, CheckBoxSettings& out) {
    return read_fields(block, std::span<const Field<CheckBoxSettings>>(kCheckBoxFields), 2, out);
}
bool read_settings(std::span<const std::uint8_t> block, RadioBoxSettings& out) {
    return read_fields(block, std::span<const Field<RadioBoxSettings>>(kRadioBoxFields), 1, out);
}

}  // namespace ui
