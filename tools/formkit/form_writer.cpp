// Form data writer and settings block encoders.
#include "formkit/form_writer.h"

namespace formkit {

// --- field encoders ---

void put_i16(Bytes& out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
}

void put_u32(Bytes& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put_i32(Bytes& out, std::int32_t v) { put_u32(out, static_cast<std::uint32_t>(v)); }

void put_bytes(Bytes& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

static std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void put_zero_terminated(Bytes& out, std::string_view text) {
    put_bytes(out, bytes_of(text));
    out.push_back(0);
}

void put_byte_field(Bytes& out, std::span<const std::uint8_t> bytes) {
    put_i32(out, static_cast<std::int32_t>(bytes.size()));
    put_bytes(out, bytes);
}

void put_text_field(Bytes& out, std::string_view text) { put_byte_field(out, bytes_of(text)); }

// --- description ---

void fill_children(std::vector<Unit>& units) {
    for (Unit& container : units) {
        container.children.clear();
        for (const Unit& u : units)
            if (u.parent != 0 && u.parent == container.id) container.children.push_back(u.id);
    }
}

static Bytes encode_record_body(const Unit& u, RecordLayout* layout, std::size_t body_at) {
    Bytes b;
    put_u32(b, u.kind);
    put_u32(b, u.event_source);
    b.insert(b.end(), 16, 0);
    put_zero_terminated(b, u.name);
    put_zero_terminated(b, u.comment);
    put_i32(b, u.object_slot);
    put_i32(b, u.left);
    put_i32(b, u.top);
    put_i32(b, u.width);
    put_i32(b, u.height);
    put_i32(b, u.pointer_slot);
    put_u32(b, u.parent);
    if (layout) layout->children_at = body_at + b.size();
    put_u32(b, static_cast<std::uint32_t>(u.children.size()));
    for (std::uint32_t child : u.children) put_u32(b, child);
    if (layout) layout->mouse_pointer_at = body_at + b.size();
    put_byte_field(b, u.mouse_pointer);
    put_zero_terminated(b, u.tag);
    put_i32(b, u.reserved);
    put_u32(b, u.flags);
    put_i32(b, u.tab_order);
    if (layout) layout->events_at = body_at + b.size();
    put_u32(b, static_cast<std::uint32_t>(u.events.size()));
    for (const Binding& e : u.events) {
        put_i32(b, e.event);
        put_i32(b, e.handler);
    }
    b.insert(b.end(), 20, 0);
    if (layout) layout->settings_at = body_at + b.size();
    put_bytes(b, u.settings);
    return b;
}

Bytes record_body(const Unit& unit) { return encode_record_body(unit, nullptr, 0); }

static void write_window_entry(Bytes& out, const Window& w, WindowLayout* layout) {
    WindowLayout l;
    l.entry_at = out.size();
    put_i32(out, w.reserved0);
    put_u32(out, w.reserved1);
    put_text_field(out, w.reserved_text0);
    put_text_field(out, w.reserved_text1);

    const std::size_t n = w.units.size();
    l.unit_count_at = out.size();
    l.table_length_at = l.unit_count_at + 4;
    l.ids_at = l.table_length_at + 4;
    l.offsets_at = l.ids_at + 4 * n;
    l.records_at = l.offsets_at + 4 * n;

    // Records first, so that offsets and the table length are known when the lists are written.
    Bytes records;
    std::vector<std::uint32_t> offsets;
    for (const Unit& u : w.units) {
        RecordLayout r;
        r.size_at = l.records_at + records.size();
        r.body_at = r.size_at + 4;
        const Bytes body = encode_record_body(u, &r, r.body_at);
        offsets.push_back(static_cast<std::uint32_t>(records.size()));
        put_u32(records, static_cast<std::uint32_t>(body.size()));
        put_bytes(records, body);
        r.end = l.records_at + records.size();
        l.records.push_back(r);
    }

    put_u32(out, static_cast<std::uint32_t>(n));
    put_u32(out, static_cast<std::uint32_t>(8 * n + records.size()));
    for (const Unit& u : w.units) put_u32(out, u.id);
    for (std::uint32_t offset : offsets) put_u32(out, offset);
    put_bytes(out, records);
    l.end = out.size();
    if (layout) *layout = std::move(l);
}

Bytes write_form(const Form& form, FormLayout* layout) {
    Bytes out;
    FormLayout l;
    l.window_list_length_at = 0;
    put_u32(out, static_cast<std::uint32_t>(8 * form.windows.size()));
    for (const Window& w : form.windows) put_u32(out, w.id);
    for (const Window& w : form.windows) put_u32(out, w.placeholder);
    for (const Window& w : form.windows) {
        WindowLayout wl;
        write_window_entry(out, w, &wl);
        l.windows.push_back(std::move(wl));
    }
    l.end = out.size();
    if (layout) *layout = std::move(l);
    return out;
}

// --- settings blocks ---

Bytes encode(const WindowSettings& s) {
    Bytes b;
    put_u32(b, s.version);
    for (std::int32_t v : {s.frame_style, s.picture_mode}) put_i32(b, v);
    put_u32(b, s.back_color);
    for (std::int32_t v : {s.maximize_box, s.minimize_box, s.control_box, s.start_position, s.movable,
                           s.music_repeat, s.enter_moves_focus, s.escape_closes, s.f1_opens_help,
                           s.help_context})
        put_i32(b, v);
    if (s.version >= 2) put_i32(b, s.show_in_taskbar);
    if (s.version >= 3) {
        put_i32(b, s.drag_anywhere);
        put_i32(b, s.shape);
    }
    if (s.version >= 4) put_i32(b, s.always_on_top);
    if (s.version >= 5) put_i32(b, s.keep_title_active);
    if (s.version >= 6) put_text_field(b, s.window_class);
    put_byte_field(b, s.picture);
    put_byte_field(b, s.icon);
    put_byte_field(b, s.music);
    put_text_field(b, s.caption);
    put_text_field(b, s.help_file);
    return b;
}

Bytes encode(const ButtonSettings& s) {
    Bytes b;
    put_u32(b, s.version);
    put_i32(b, s.button_type);
    put_i32(b, s.horizontal_align);
    put_i32(b, s.vertical_align);
    put_byte_field(b, s.picture);
    put_byte_field(b, s.font);
    put_text_field(b, s.caption);
    return b;
}

Bytes encode(const GroupBoxSettings& s) {
    Bytes b;
    put_u32(b, s.version);
    put_i32(b, s.caption_align);
    put_u32(b, s.text_color);
    put_u32(b, s.back_color);
    put_byte_field(b, s.font);
    put_text_field(b, s.caption);
    return b;
}

Bytes encode(const LabelSettings& s) {
    Bytes b;
    put_u32(b, s.version);
    put_i32(b, s.text_effect);
    put_i32(b, s.gradient_border_width);
    put_i32(b, s.border_style);
    for (std::uint32_t c : s.gradient_border_colors) put_u32(b, c);
    put_u32(b, s.text_color);
    put_u32(b, s.back_color);
    put_i32(b, s.picture_mode);
    put_i32(b, s.gradient_mode);
    for (std::uint32_t c : s.gradient_colors) put_u32(b, c);
    put_i32(b, s.horizontal_align);
    put_i32(b, s.vertical_align);
    put_i32(b, s.word_wrap);
    put_byte_field(b, s.font);
    put_byte_field(b, s.picture);
    put_text_field(b, s.caption);
    if (s.version >= 2) {
        put_text_field(b, s.data_source);
        put_text_field(b, s.data_column);
    }
    return b;
}

Bytes encode(const EditBoxSettings& s) {
    Bytes b;
    put_u32(b, s.version);
    put_i32(b, s.border_style);
    put_u32(b, s.text_color);
    put_u32(b, s.back_color);
    for (std::int32_t v : {s.hide_selection, s.max_length, s.multi_line, s.scroll_bars,
                           s.horizontal_align, s.input_mode})
        put_i32(b, v);
    put_i16(b, s.password_char);
    for (std::int32_t v : {s.case_conversion, s.spin_mode, s.spin_lower, s.spin_upper,
                           s.selection_start, s.selection_length})
        put_i32(b, v);
    put_byte_field(b, s.font);
    put_text_field(b, s.text);
    if (s.version >= 2) {
        put_text_field(b, s.data_source);
        put_text_field(b, s.data_column);
    }
    return b;
}

template <typename Choice>
static Bytes encode_choice(const Choice& s) {
    Bytes b;
    put_u32(b, s.version);
    for (std::int32_t v : {s.push_like, s.flat, s.text_left, s.horizontal_align, s.vertical_align})
        put_i32(b, v);
    put_u32(b, s.text_color);
    put_u32(b, s.back_color);
    put_i32(b, s.check_state);
    put_byte_field(b, s.picture);
    put_byte_field(b, s.font);
    put_text_field(b, s.caption);
    return b;
}

Bytes encode(const CheckBoxSettings& s) {
    Bytes b = encode_choice(s);
    if (s.version >= 2) {
        put_text_field(b, s.data_source);
        put_text_field(b, s.data_column);
    }
    return b;
}

Bytes encode(const RadioBoxSettings& s) { return encode_choice(s); }

}  // namespace formkit
