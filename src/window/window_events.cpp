// Notifications from the toolkit: routed back to the control that sent them, then turned
// into the unit's events through the frame.
#include "window/window_events.h"

#include "frame/frame.h"
#include "window/control.h"
#include "window/keyboard.h"
#include "window/label_paint.h"
#include "window/open_window.h"
#include "window/picture.h"
#include "window/styles.h"

namespace ui {

namespace {

constexpr std::int32_t EVENT_CLICK = 0, EVENT_CHANGE = 0, EVENT_CLOSE_QUERY = 12, EVENT_CLOSE = 1,
                       EVENT_DESTROY = 2, EVENT_MOVED = 3, EVENT_RESIZED = 4, EVENT_ACTIVATED = 5,
                       EVENT_DEACTIVATED = 6, EVENT_GOT_FOCUS = -7, EVENT_LOST_FOCUS = -8,
                       EVENT_SPIN = 1;

tk::Toolkit& tkit() { return frame::toolkit(); }

Control* control_of(tk::Handle h) { return ui::control_of(tkit(), h); }

bool is_container(const Control* c) {
    return c != nullptr && (c->kind == form::KIND_WINDOW || c->kind == form::KIND_GROUP_BOX);
}

// Raises an event and tells whether a handler answered 0 (which keeps a window open).
bool handler_said_no(Control& c, std::int32_t event) {
    frame::EventRecord r;
    r.window_id = c.window_id;
    r.unit_id = c.unit_id;
    r.event = event;
    frame::raise_event(r);
    return r.result_flag == 1 && r.result == 0;
}

// A background picture is decoded on the first paint and kept; one that cannot be decoded
// is not tried again.
void decode_once(Control& c, const ByteField& picture, tk::Color background) {
    if (c.picture_decoded) return;
    c.picture_decoded = true;
    if (picture.empty()) return;
    if (auto pixels = decode_picture(picture)) {
        c.image = tkit().create_image(*pixels, background);
        c.image_width = pixels->width;
        c.image_height = pixels->height;
    }
}

void paint_window(Control& c, tk::Canvas& canvas, const tk::Rect& dirty) {
    const WindowSettings& s = *c.window;
    tk::Color face = tkit().button_face_color();
    canvas.clip(dirty);
    canvas.fill(tkit().client_rect(c.handle), resolve_color(s.back_color, face));
    decode_once(c, s.picture, resolve_color(s.back_color, face));
    if (c.image == nullptr || c.image_width <= 0 || c.image_height <= 0) return;
    tk::Rect client = tkit().client_rect(c.handle);
    switch (s.picture_mode) {
        case 0: canvas.draw_image(c.image, {0, 0, c.image_width, c.image_height}); break;
        case 1:
            for (int y = 0; y < client.height; y += c.image_height)
                for (int x = 0; x < client.width; x += c.image_width)
                    canvas.draw_image(c.image, {x, y, c.image_width, c.image_height});
            break;
        case 2: {
            double scale = 1.0;
            if (c.image_width > client.width || c.image_height > client.height)
                scale = std::min(double(client.width) / c.image_width,
                                 double(client.height) / c.image_height);
            int w = int(c.image_width * scale), h = int(c.image_height * scale);
            canvas.draw_image(c.image, {(client.width - w) / 2, (client.height - h) / 2, w, h});
            break;
        }
        case 3: canvas.draw_image(c.image, client); break;
        default: break;
    }
}

void paint_label_control(Control& c, tk::Canvas& canvas, const tk::Rect& dirty) {
    const LabelSettings& s = *c.label;
    decode_once(c, s.picture, resolve_color(s.back_color, tkit().button_face_color()));
    LabelPaintEnv env;
    env.button_face = tkit().button_face_color();
    env.font = c.font != nullptr ? c.font : tkit().default_gui_font();
    env.picture = c.image;
    env.picture_width = c.image_width;
    env.picture_height = c.image_height;
    paint_label(s, tkit().text(c.handle), tkit().client_rect(c.handle), dirty, canvas, env);
}

// spin_mode 1 steps the field's whole number itself within the range; 2 reports the step.
void spin_field(Control& field, int delta) {
    if (field.spin_mode == 2) {
        frame::EventRecord r;
        r.window_id = field.window_id;
        r.unit_id = field.unit_id;
        r.event = EVENT_SPIN;
        r.arg_count = 1;
        r.args[0] = delta;
        frame::raise_event(r);
        return;
    }
    std::string text = tkit().text(field.handle);
    long long value = 0;
    bool negative = false;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 10000000000LL; ++i)
        value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    value += delta;
    if (value < field.spin_lower) value = field.spin_lower;
    if (value > field.spin_upper) value = field.spin_upper;
    tkit().set_text(field.handle, std::to_string(value));
}

struct WindowEvents final : tk::Events {
    void command(tk::Handle container, tk::Handle child, std::uint16_t code) override {
        if (!is_container(control_of(container))) return;
        Control* c = control_of(child);
        if (c == nullptr) return;
        switch (c->kind) {
            case form::KIND_BUTTON:
            case form::KIND_CHECK_BOX:
            case form::KIND_RADIO_BOX:
                if (code == tk::BN_CLICKED_) frame::raise_event(c->window_id, c->unit_id, EVENT_CLICK);
                break;
            case form::KIND_EDIT_BOX:
                // A write by the program reports its change once, after the write.
                if (code == tk::EN_CHANGE_ && !c->set_by_program)
                    frame::raise_event(c->window_id, c->unit_id, EVENT_CHANGE);
                break;
            default: break;
        }
    }

    bool color(tk::Handle container, tk::Handle child, tk::ColorAnswer& out) override {
        if (!is_container(control_of(container))) return false;
        Control* c = control_of(child);
        if (c == nullptr || !c->colors) return false;
        out = *c->colors;
        return true;
    }

    bool paint(tk::Handle h, tk::Canvas& canvas, const tk::Rect& dirty) override {
        Control* c = control_of(h);
        if (c == nullptr) return false;
        if (dirty.width <= 0 || dirty.height <= 0) return true;
        if (c->kind == form::KIND_LABEL && c->label) {
            paint_label_control(*c, canvas, dirty);
            return true;
        }
        if (c->kind == form::KIND_WINDOW && c->window) {
            paint_window(*c, canvas, dirty);
            return true;
        }
        return false;
    }

    bool erase(tk::Handle h, tk::Canvas& canvas) override {
        Control* c = control_of(h);
        if (c == nullptr) return false;
        if (c->kind == form::KIND_GROUP_BOX && c->colors) {
            canvas.fill(tkit().client_rect(h), c->colors->back_color);
            return true;
        }
        if (c->kind == form::KIND_WINDOW) return true;  // the window's paint fills it
        return false;
    }

    void focus(tk::Handle h, bool gained) override {
        Control* c = control_of(h);
        if (c == nullptr) return;
        if (c->kind == form::KIND_WINDOW) {
            // The window itself got the focus: hand it on to the remembered control or the
            // first member of the ring.
            if (gained) {
                if (c->remembered_focus != nullptr && tkit().exists(c->remembered_focus) &&
                    is_inside(h, c->remembered_focus))
                    tkit().set_focus(c->remembered_focus);
                else
                    give_first_focus(h);
            }
            return;
        }
        frame::raise_event(c->window_id, c->unit_id, gained ? EVENT_GOT_FOCUS : EVENT_LOST_FOCUS);
    }

    void activate(tk::Handle h, bool active) override {
        Control* c = control_of(h);
        if (c == nullptr || c->kind != form::KIND_WINDOW) return;
        tk::Handle focused = tkit().focus();
        if (!active) {
            if (focused != nullptr && focused != h && is_inside(h, focused)) c->remembered_focus = focused;
            frame::raise_event(c->window_id, c->unit_id, EVENT_DEACTIVATED);
            return;
        }
        if (c->remembered_focus != nullptr && tkit().exists(c->remembered_focus) &&
            is_inside(h, c->remembered_focus))
            tkit().set_focus(c->remembered_focus);
        else if (focused == nullptr || focused == h || !is_inside(h, focused))
            give_first_focus(h);
        frame::raise_event(c->window_id, c->unit_id, EVENT_ACTIVATED);
    }

    void moved(tk::Handle h) override {
        Control* c = control_of(h);
        if (c != nullptr && c->kind == form::KIND_WINDOW)
            frame::raise_event(c->window_id, c->unit_id, EVENT_MOVED);
    }

    void resized(tk::Handle h) override {
        Control* c = control_of(h);
        if (c != nullptr && c->kind == form::KIND_WINDOW)
            frame::raise_event(c->window_id, c->unit_id, EVENT_RESIZED);
    }

    bool close_requested(tk::Handle h) override {
        Control* c = control_of(h);
        if (c == nullptr || c->kind != form::KIND_WINDOW) return true;
        if (handler_said_no(*c, EVENT_CLOSE_QUERY)) return false;
        if (!tkit().exists(h)) return false;
        return !handler_said_no(*c, EVENT_CLOSE);
    }

    void destroying(tk::Handle h) override {
        Control* c = control_of(h);
        if (c == nullptr) return;
        if (c->kind == form::KIND_WINDOW) frame::raise_event(c->window_id, c->unit_id, EVENT_DESTROY);
        // The control is going: its slot is cleared so that nothing reaches it any more.
        if (form::WindowTemplate* t = frame::templates().find(c->window_id))
            if (form::UnitRecord* unit = t->find(c->unit_id)) {
                unit->object_slot = nullptr;
                unit->pointer_slot = nullptr;
            }
        if (c->kind != form::KIND_WINDOW) tkit().set_user(h, nullptr);
    }

    void destroyed(tk::Handle h) override {
        Control* c = control_of(h);
        if (c == nullptr || c->kind != form::KIND_WINDOW) return;
        std::uint32_t window_id = c->window_id;
        tkit().set_user(h, nullptr);
        window_gone(window_id);
        frame::window_destroyed();
    }

    bool pre_translate(const tk::KeyPress& key) override { return pre_translate_key(key); }

    void spin(tk::Handle updown, int delta) override {
        for (form::WindowTemplate& t : frame::templates().windows)
            for (form::UnitRecord& unit : t.units) {
                Control* c = unit.object_slot;
                if (c != nullptr && c->updown == updown) {
                    spin_field(*c, delta);
                    return;
                }
            }
    }
};

WindowEvents instance;

}  // namespace

void install_window_events() { tkit().set_events(&instance); }
tk::Events& window_events() { return instance; }

bool is_inside(tk::Handle window, tk::Handle h) {
    for (tk::Handle p = h; p != nullptr; p = tkit().parent_of(p))
        if (p == window) return true;
    return false;
}

void request_close(tk::Handle window) {
    if (instance.close_requested(window) && tkit().exists(window)) tkit().destroy(window);
}

}  // namespace ui
