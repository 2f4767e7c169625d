// The creators of every kind: read the settings, let the style rules decide, ask the
// toolkit to execute.
#include "frame/frame.h"
#include "window/control.h"
#include "window/picture.h"
#include "window/styles.h"

namespace ui {

namespace {

tk::Toolkit& tkit() { return frame::toolkit(); }

std::unique_ptr<Control> new_control(const ControlPlacement& p, std::uint32_t kind) {
    auto c = std::make_unique<Control>();
    c->window_id = p.window_id;
    c->unit_id = p.unit_id;
    c->kind = kind;
    return c;
}

// The FontRecord rule: exactly 60 bytes make a font, when the system can; anything else, or
// a font the system refuses, is the default GUI font (null here).
tk::Font make_font(const ByteField& field) {
    auto record = font_record(field);
    if (!record) return nullptr;
    std::uint8_t bytes[60];
    std::copy(record->begin(), record->end(), bytes);
    return tkit().create_font(bytes);
}

tk::Font font_or_default(tk::Font f) { return f != nullptr ? f : tkit().default_gui_font(); }

// A picture for a button, check box or radio button, prepared over the button face.
// Undecodable pictures are dropped silently.
tk::Image prepare_picture(const ByteField& bytes, bool& is_icon) {
    if (bytes.empty()) return nullptr;
    auto pixels = decode_picture(bytes);
    if (!pixels) return nullptr;
    is_icon = pixels->is_icon;
    return tkit().create_image(*pixels, tkit().button_face_color());
}

tk::CreateSpec spec_for(const char* class_name, std::uint32_t style, std::string text,
                        const ControlPlacement& p) {
    tk::CreateSpec spec;
    spec.class_name = class_name;
    spec.style = style;
    spec.text = std::move(text);
    spec.rect = p.rect;
    spec.parent = p.parent;
    spec.child_id = p.child_id;
    return spec;
}

void apply_edge(tk::Handle h, std::int32_t border_style, bool label) {
    Edge edge = border_edge(border_style, label);
    if (edge.ex_style_add == 0 && !edge.ws_border) return;
    std::uint32_t style = tkit().style(h) | (edge.ws_border ? WS_BORDER_ : 0);
    tkit().set_styles(h, style, tkit().ex_style(h) | edge.ex_style_add);
}

tk::ColorAnswer answer(Color text, Color back, tk::Brush brush) {
    return {text, resolve_color(back, tkit().button_face_color()), brush};
}

// A system button with its caption or picture, and its font: the shared part of push
// buttons, check boxes and radio buttons. False: the system refused the window.
bool create_system_button(Control& c, std::uint32_t style, const ByteField& picture,
                          const ByteField& font, const TextField& caption, const ControlPlacement& p) {
    bool is_icon = false;
    c.image = prepare_picture(picture, is_icon);
    if (c.image != nullptr) style |= picture_style(is_icon);
    c.handle = tkit().create(spec_for(tk::kButtonClass, style, caption, p));
    if (c.handle == nullptr) {
        release_resources(c);
        return false;
    }
    c.font = make_font(font);
    tkit().set_font(c.handle, font_or_default(c.font), true);
    if (c.image != nullptr) tkit().set_image(c.handle, c.image);
    return true;
}

// Check boxes and radio buttons share everything but their style and their defaults.
template <typename Settings>
std::unique_ptr<Control> create_check_like(std::span<const std::uint8_t> block,
                                           const ControlPlacement& p, std::uint32_t kind,
                                           std::uint32_t (*style_of)(const Settings&, std::uint32_t)) {
    Settings s;
    if (!read_settings(block, s)) return nullptr;
    auto c = new_control(p, kind);
    c->brush = tkit().create_brush(resolve_color(s.back_color, tkit().button_face_color()));
    if (!create_system_button(*c, style_of(s, p.style), s.picture, s.font, s.caption, p)) return nullptr;
    c->check_state = s.check_state == 1 ? 1 : 0;
    tkit().set_check(c->handle, c->check_state);
    c->colors = answer(s.text_color, s.back_color, c->brush);
    return c;
}

}  // namespace

void release_resources(Control& c) {
    tk::Toolkit& t = tkit();
    if (c.font != nullptr) t.release_font(c.font);
    if (c.brush != nullptr) t.release_brush(c.brush);
    if (c.image != nullptr) t.release_image(c.image);
    if (c.icon_big != nullptr) t.release_image(c.icon_big);
    if (c.icon_small != nullptr) t.release_image(c.icon_small);
    if (c.cursor != nullptr) t.release_cursor(c.cursor);
    if (c.owner != nullptr && t.exists(c.owner)) t.destroy(c.owner);
    c.font = nullptr;
    c.brush = nullptr;
    c.image = nullptr;
    c.icon_big = c.icon_small = nullptr;
    c.cursor = nullptr;
    c.owner = nullptr;
}

std::unique_ptr<Control> create_button(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    ButtonSettings s;
    if (!read_settings(block, s)) return nullptr;
    auto c = new_control(p, form::KIND_BUTTON);
    if (!create_system_button(*c, button_style(s, p.style), s.picture, s.font, s.caption, p)) return nullptr;
    c->default_button = s.button_type == 1;
    return c;
}

std::unique_ptr<Control> create_group_box(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    GroupBoxSettings s;
    if (!read_settings(block, s)) return nullptr;
    auto c = new_control(p, form::KIND_GROUP_BOX);
    c->brush = tkit().create_brush(resolve_color(s.back_color, tkit().button_face_color()));
    c->handle = tkit().create(spec_for(tk::kButtonClass, group_box_style(s, p.style), s.caption, p));
    if (c->handle == nullptr) {
        release_resources(*c);
        return nullptr;
    }
    c->font = make_font(s.font);
    tkit().set_font(c->handle, font_or_default(c->font), true);
    c->colors = answer(s.text_color, s.back_color, c->brush);
    return c;
}

std::unique_ptr<Control> create_label(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    auto s = std::make_unique<LabelSettings>();
    if (!read_settings(block, *s)) return nullptr;
    auto c = new_control(p, form::KIND_LABEL);
    c->handle = tkit().create(spec_for(tk::kLabelClass, label_style(*s, p.style), s->caption, p));
    if (c->handle == nullptr) return nullptr;
    apply_edge(c->handle, s->border_style, true);
    c->font = make_font(s->font);
    c->label = std::move(s);
    return c;
}

std::unique_ptr<Control> create_edit_box(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    EditBoxSettings s;
    if (!read_settings(block, s)) return nullptr;
    tk::Toolkit& t = tkit();
    auto c = new_control(p, form::KIND_EDIT_BOX);
    c->brush = t.create_brush(resolve_color(s.back_color, t.button_face_color()));
    c->handle = t.create(spec_for(tk::kEditClass, edit_style(s, p.style), s.text, p));
    if (c->handle == nullptr) {
        release_resources(*c);
        return nullptr;
    }
    c->stored_text = s.text;
    c->font = make_font(s.font);
    tk::Font font = font_or_default(c->font);
    t.set_font(c->handle, font, true);
    bool multi_line = s.multi_line == 1;
    if (!multi_line) {
        int least = edit_min_height(t.double_byte_char_height(font), t.edge_height());
        if (p.rect.height < least) t.move(c->handle, {p.rect.left, p.rect.top, p.rect.width, least});
    }
    t.set_text_limit(c->handle, s.max_length);
    if (s.input_mode == 2) t.set_password_char(c->handle, static_cast<char>(s.password_char & 0xFF));
    if (!multi_line && s.spin_mode != 0) {
        tk::CreateSpec spin;
        spin.class_name = tk::kUpDownClass;
        bool disabled = (p.style & WS_DISABLED_) != 0;
        spin.style = updown_style(s.spin_mode, disabled);
        spin.rect = updown_rect(t.outer_rect(c->handle));
        spin.parent = p.parent;
        c->updown = t.create(spin);
        if (c->updown != nullptr) {
            auto [low, high] = updown_range(s.spin_lower, s.spin_upper);
            t.set_updown(c->updown, c->handle, low, high);
            c->spin_mode = s.spin_mode;
            c->spin_lower = low;
            c->spin_upper = high;
        }
    }
    t.set_selection(c->handle, s.selection_start, s.selection_start + s.selection_length);
    t.scroll_caret(c->handle);
    apply_edge(c->handle, s.border_style, false);
    c->claims_enter = multi_line && s.input_mode != 1;
    c->colors = answer(s.text_color, s.back_color, c->brush);
    return c;
}

std::unique_ptr<Control> create_check_box(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    return create_check_like<CheckBoxSettings>(block, p, form::KIND_CHECK_BOX, check_box_style);
}

std::unique_ptr<Control> create_radio_box(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    return create_check_like<RadioBoxSettings>(block, p, form::KIND_RADIO_BOX, radio_box_style);
}

std::unique_ptr<Control> create_window(std::span<const std::uint8_t> block, const ControlPlacement& p) {
    auto s = std::make_unique<WindowSettings>();
    if (!read_settings(block, *s)) return nullptr;
    tk::Toolkit& t = tkit();
    auto c = new_control(p, form::KIND_WINDOW);
    WindowFrame frame_styles = window_frame(*s, p.style);
    Origin origin = window_origin(*s, p.rect, t.screen());
    if (s->show_in_taskbar == 0) {
        // An owned window has no task-bar button; the owner stays hidden for the window's life.
        tk::CreateSpec owner;
        owner.class_name = tk::kOwnerClass;
        c->owner = t.create(owner);
    }
    tk::CreateSpec spec;
    spec.class_name = s->window_class.empty() ? tk::kWindowClass : s->window_class.c_str();
    spec.style = frame_styles.style;
    spec.ex_style = frame_styles.ex_style;
    spec.text = s->caption;
    spec.rect = {origin.left, origin.top, p.rect.width, p.rect.height};
    spec.parent = c->owner;
    c->handle = t.create(spec);
    if (c->handle == nullptr) {
        release_resources(*c);
        return nullptr;
    }
    tk::Rect outer = t.outer_rect(c->handle);
    if (outer.width != p.rect.width || outer.height != p.rect.height) t.move(c->handle, spec.rect);
    if (!s->icon.empty()) {
        if (auto pixels = decode_picture(s->icon)) {
            c->icon_big = t.create_image(*pixels, t.button_face_color());
            pixels->is_icon = true;
            c->icon_small = t.create_image(*pixels, t.button_face_color());
        }
    }
    t.set_icon(c->handle, c->icon_big != nullptr ? c->icon_big : t.program_icon(false),
               c->icon_small != nullptr ? c->icon_small : t.program_icon(true));
    if (s->shape != 0) t.set_shape(c->handle, window_shape(s->shape, p.rect.width, p.rect.height));
    t.set_font(c->handle, t.default_gui_font(), false);
    if (s->always_on_top == 1) t.set_topmost(c->handle);
    if (s->movable == 0) t.remove_move_command(c->handle);
    // Background music is not played: the program has no sound output.
    c->window = std::move(s);
    return c;
}

Creator creator_of(std::uint32_t kind) {
    switch (kind) {
        case form::KIND_WINDOW: return create_window;
        case form::KIND_BUTTON: return create_button;
        case form::KIND_LABEL: return create_label;
        case form::KIND_GROUP_BOX: return create_group_box;
        case form::KIND_EDIT_BOX: return create_edit_box;
        case form::KIND_CHECK_BOX: return create_check_box;
        case form::KIND_RADIO_BOX: return create_radio_box;
        default: return nullptr;
    }
}

}  // namespace ui
