// Keys the window handles before its controls: Tab and Shift+Tab walk the focus ring, the
// arrows move the check between radio buttons, Enter, Esc, F1 and access keys.
#include "window/keyboard.h"

#include <algorithm>
#include <cctype>

#include "frame/frame.h"
#include "window/control.h"
#include "window/window_events.h"

namespace ui {

namespace {

constexpr std::int32_t EVENT_CLICK = 0;

tk::Toolkit& tkit() { return frame::toolkit(); }

Control* control_of(tk::Handle h) { return ui::control_of(tkit(), h); }

// The program window that holds `h`, or null.
Control* window_of(tk::Handle h) {
    for (tk::Handle p = h; p != nullptr; p = tkit().parent_of(p)) {
        Control* c = control_of(p);
        if (c != nullptr && c->kind == form::KIND_WINDOW) return c;
    }
    return nullptr;
}

bool is_member(const form::UnitRecord& u, std::size_t pos) {
    if (pos == 0 || u.kind == form::KIND_GROUP_BOX || !(u.flags & form::FLAG_TAB_STOP)) return false;
    const Control* c = u.object_slot;
    return c != nullptr && tkit().exists(c->handle) && tkit().is_visible(c->handle) &&
           tkit().is_enabled(c->handle);
}

// Ring order: ascending tab_order; the higher list position first among equals.
bool ring_before(const form::WindowTemplate& t, const form::UnitRecord* a, const form::UnitRecord* b) {
    if (a->tab_order != b->tab_order) return a->tab_order < b->tab_order;
    return a - t.units.data() > b - t.units.data();
}

std::size_t position(const form::WindowTemplate& t, const form::UnitRecord* u) {
    return static_cast<std::size_t>(u - t.units.data());
}

// Tab and Shift+Tab within a ring, wrapping. A focused control that is not a member moves to
// the first member whose list position is not above its own (or the first member).
const form::UnitRecord* step_ring(const form::WindowTemplate& t,
                                  const std::vector<const form::UnitRecord*>& ring,
                                  const form::UnitRecord* focused, bool backwards) {
    if (ring.empty()) return nullptr;
    auto at = std::find(ring.begin(), ring.end(), focused);
    if (at != ring.end()) {
        std::size_t i = static_cast<std::size_t>(at - ring.begin());
        std::size_t n = ring.size();
        return ring[backwards ? (i + n - 1) % n : (i + 1) % n];
    }
    std::size_t found = ring.size();
    if (focused != nullptr) {
        std::size_t pos = position(t, focused);
        for (std::size_t i = 0; i < ring.size(); ++i)
            if (position(t, ring[i]) <= pos) {
                found = i;
                break;
            }
    }
    if (!backwards) return ring[found == ring.size() ? 0 : found];
    if (found == ring.size() || found == 0) return ring.back();
    return ring[found - 1];
}

form::UnitRecord* unit_of(form::WindowTemplate& t, const Control* c) {
    return c != nullptr ? t.find(c->unit_id) : nullptr;
}

void focus_unit(const form::UnitRecord* u) {
    if (u != nullptr && u->object_slot != nullptr) tkit().set_focus(u->object_slot->handle);
}

bool arrow_on_radio(form::WindowTemplate& t, const form::UnitRecord& radio, bool forward) {
    std::vector<const form::UnitRecord*> group;
    for (const form::UnitRecord* u : focus_ring(t))
        if (u->kind == form::KIND_RADIO_BOX && u->parent == radio.parent) group.push_back(u);
    auto at = std::find(group.begin(), group.end(), &radio);
    if (at == group.end()) return false;
    std::size_t i = static_cast<std::size_t>(at - group.begin()), n = group.size();
    const form::UnitRecord* reached = group[forward ? (i + 1) % n : (i + n - 1) % n];
    for (const form::UnitRecord& u : t.units)
        if (u.kind == form::KIND_RADIO_BOX && u.parent == radio.parent && u.object_slot != nullptr &&
            tkit().exists(u.object_slot->handle) && tkit().check(u.object_slot->handle) == 1)
            tkit().set_check(u.object_slot->handle, 0);
    Control* c = reached->object_slot;
    tkit().set_check(c->handle, 1);
    frame::raise_event(c->window_id, c->unit_id, EVENT_CLICK);
    if (reached->object_slot != nullptr) focus_unit(reached);
    return true;
}

// The character a caption marks as its access key ("&x"), or 0.
char access_key(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(caption[i]);
        if (ch >= 0x81) {  // the first byte of a two-byte character: skip its trail byte
            ++i;
            continue;
        }
        if (ch == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        }
    }
    return 0;
}

bool access_key_press(form::WindowTemplate& t, std::uint32_t vk) {
    char wanted = static_cast<char>(vk);
    if (!((wanted >= 'A' && wanted <= 'Z') || (wanted >= '0' && wanted <= '9'))) return false;
    for (std::size_t pos = 1; pos < t.units.size(); ++pos) {
        form::UnitRecord& u = t.units[pos];
        Control* c = u.object_slot;
        if (c == nullptr || !tkit().exists(c->handle) || !tkit().is_visible(c->handle) ||
            !tkit().is_enabled(c->handle) || u.kind == form::KIND_EDIT_BOX)
            continue;
        if (access_key(tkit().text(c->handle)) != wanted) continue;
        if (u.kind == form::KIND_BUTTON || u.kind == form::KIND_CHECK_BOX || u.kind == form::KIND_RADIO_BOX) {
            tkit().set_focus(c->handle);
            if (u.kind == form::KIND_CHECK_BOX) tkit().set_check(c->handle, tkit().check(c->handle) == 1 ? 0 : 1);
            if (u.kind == form::KIND_RADIO_BOX) {
                for (form::UnitRecord& other : t.units)
                    if (other.kind == form::KIND_RADIO_BOX && other.parent == u.parent && other.object_slot)
                        tkit().set_check(other.object_slot->handle, 0);
                tkit().set_check(c->handle, 1);
            }
            frame::raise_event(c->window_id, c->unit_id, EVENT_CLICK);
            return true;
        }
        // A label or group frame hands its access key to the next member of the ring.
        const form::UnitRecord* next = step_ring(t, focus_ring(t), &u, false);
        focus_unit(next);
        return true;
    }
    return false;
}

std::string help_path(const Control& window) {
    if (!window.window->help_file.empty()) return window.window->help_file;
    std::string path = tkit().program_path();
    std::size_t dot = path.find_last_of('.');
    std::size_t slash = path.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
    return path + ".hlp";
}

}  // namespace

std::vector<const form::UnitRecord*> focus_ring(const form::WindowTemplate& t) {
    std::vector<const form::UnitRecord*> ring;
    for (std::size_t pos = 1; pos < t.units.size(); ++pos)
        if (is_member(t.units[pos], pos)) ring.push_back(&t.units[pos]);
    std::stable_sort(ring.begin(), ring.end(),
                     [&](const form::UnitRecord* a, const form::UnitRecord* b) { return ring_before(t, a, b); });
    return ring;
}

void give_first_focus(tk::Handle window) {
    Control* w = control_of(window);
    if (w == nullptr) return;
    form::WindowTemplate* t = frame::templates().find(w->window_id);
    if (t == nullptr) return;
    auto ring = focus_ring(*t);
    if (!ring.empty()) focus_unit(ring.front());
}

bool pre_translate_key(const tk::KeyPress& key) {
    Control* window = window_of(key.target);
    if (window == nullptr || !window->window) return false;
    form::WindowTemplate* t = frame::templates().find(window->window_id);
    if (t == nullptr) return false;
    Control* focused = control_of(key.target);
    if (focused == window) focused = nullptr;
    const bool plain = !key.keys.shift && !key.keys.control && !key.keys.alt;
    const WindowSettings& s = *window->window;

    // A multi-line, editable field takes Enter itself.
    if (key.vk == tk::VK_RETURN_ && plain && focused != nullptr && focused->claims_enter) return false;

    if (key.vk == tk::VK_TAB_ && !key.keys.control && !key.keys.alt) {
        auto ring = focus_ring(*t);
        focus_unit(step_ring(*t, ring, unit_of(*t, focused), key.keys.shift));
        return true;
    }
    if (plain && focused != nullptr && focused->kind == form::KIND_RADIO_BOX &&
        (key.vk == tk::VK_LEFT_ || key.vk == tk::VK_UP_ || key.vk == tk::VK_RIGHT_ || key.vk == tk::VK_DOWN_)) {
        if (form::UnitRecord* radio = unit_of(*t, focused))
            return arrow_on_radio(*t, *radio, key.vk == tk::VK_RIGHT_ || key.vk == tk::VK_DOWN_);
        return false;
    }
    if (key.vk == tk::VK_RETURN_ && plain) {
        if (focused != nullptr && focused->kind == form::KIND_BUTTON && focused->default_button) {
            frame::raise_event(focused->window_id, focused->unit_id, EVENT_CLICK);
        } else if (s.enter_moves_focus == 1) {
            auto ring = focus_ring(*t);
            focus_unit(step_ring(*t, ring, unit_of(*t, focused), false));
        } else {
            for (const form::UnitRecord& u : t->units)
                if (u.kind == form::KIND_BUTTON && u.object_slot != nullptr && u.object_slot->default_button) {
                    frame::raise_event(u.object_slot->window_id, u.id, EVENT_CLICK);
                    break;
                }
        }
        // Enter never reaches a single-line field, which would only beep.
        return true;
    }
    if (key.vk == tk::VK_ESCAPE_ && plain && s.escape_closes == 1) {
        request_close(window->handle);
        return true;
    }
    if (key.vk == tk::VK_F1_ && plain && s.f1_opens_help == 1) {
        std::string path = help_path(*window);
        if (tkit().file_exists(path)) tkit().open_help(path, s.help_context);
        return true;
    }
    if (key.keys.alt && !key.keys.control) return access_key_press(*t, key.vk);
    return false;
}

}  // namespace ui
