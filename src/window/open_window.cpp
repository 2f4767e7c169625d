// Building a window from its template: creation from the last list position down, group
// frames as parents, stacking by list order, showing, the first events and the first focus.
#include "window/open_window.h"

#include <algorithm>
#include <vector>

#include "window/keyboard.h"
#include "window/styles.h"
#include "window/window_events.h"

namespace ui {

namespace {

constexpr std::int32_t FIRST_CHILD_ID = 100;
constexpr std::int32_t CHILD_ID_STEP = 10;
constexpr std::int32_t EVENT_CREATED = 0, EVENT_MOVED = 3, EVENT_RESIZED = 4, EVENT_GOT_FOCUS = -7;

tk::Toolkit& tkit() { return frame::toolkit(); }

// The live objects of every open window, owned here; units point at them through their
// object_slot.
struct OpenWindow {
    std::uint32_t window_id = 0;
    std::vector<form::UnitRecord> pristine;
    std::vector<std::unique_ptr<Control>> controls;  // list order; [0] is the window
};
std::vector<OpenWindow> open_windows;

OpenWindow* open_entry(std::uint32_t window_id) {
    for (OpenWindow& w : open_windows)
        if (w.window_id == window_id) return &w;
    return nullptr;
}

bool is_menu_item(std::uint32_t id) { return (id >> 24) == 0x26; }

bool alive(const form::WindowTemplate& t) {
    const Control* w = t.units.empty() ? nullptr : t.units[0].object_slot;
    return w != nullptr && tkit().exists(w->handle);
}

// Takes a window's live objects out of the open list and puts its template back to the
// pristine copy, so that it could be built again. Returns the objects, still to be released.
std::vector<std::unique_ptr<Control>> take_back(std::uint32_t window_id) {
    OpenWindow* w = open_entry(window_id);
    if (w == nullptr) return {};
    std::vector<std::unique_ptr<Control>> controls = std::move(w->controls);
    if (form::WindowTemplate* t = frame::templates().find(window_id)) {
        t->units = std::move(w->pristine);
        form::index_units(*t);
    }
    open_windows.erase(open_windows.begin() + (w - open_windows.data()));
    return controls;
}

// Undoes a build that failed half-way: nothing of it stays on screen.
void abandon(std::uint32_t window_id) {
    std::vector<std::unique_ptr<Control>> controls = take_back(window_id);
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if (*it == nullptr) continue;
        if ((*it)->handle != nullptr && tkit().exists((*it)->handle)) {
            tkit().set_user((*it)->handle, nullptr);
            tkit().destroy((*it)->handle);
        }
        release_resources(**it);
    }
}

tk::Cursor load_pointer(const form::UnitRecord& unit) {
    if (unit.mouse_pointer.size() < 4) return nullptr;
    std::int32_t which = static_cast<std::int32_t>(
        unit.mouse_pointer[0] | unit.mouse_pointer[1] << 8 | unit.mouse_pointer[2] << 16 |
        static_cast<std::uint32_t>(unit.mouse_pointer[3]) << 24);
    if (which < 1 || which > 14) return nullptr;
    return tkit().load_system_cursor(which);
}

}  // namespace

bool any_window_open() {
    for (const OpenWindow& w : open_windows) {
        const form::WindowTemplate* t = frame::templates().find(w.window_id);
        if (t != nullptr && alive(*t)) return true;
    }
    return false;
}

Control* live_control(const form::UnitRecord& unit) {
    Control* c = unit.object_slot;
    if (c == nullptr || c->handle == nullptr || !tkit().exists(c->handle)) return nullptr;
    return c;
}

void release_all_controls() {
    std::vector<OpenWindow> windows = std::move(open_windows);
    open_windows.clear();
    for (OpenWindow& w : windows)
        for (auto& c : w.controls)
            if (c != nullptr) release_resources(*c);
}

// Called by the window events when a window of the program is gone.
void window_gone(std::uint32_t window_id) {
    for (auto& c : take_back(window_id))
        if (c != nullptr) release_resources(*c);
}

bool open_window(std::uint32_t window_id) {
    tk::Toolkit& t = tkit();
    form::WindowTemplate* tmpl = frame::templates().find(window_id);
    if (tmpl == nullptr || tmpl->units.empty()) return false;
    install_window_events();

    // Already open: bring it forward instead of building it twice.
    if (alive(*tmpl)) {
        tk::Handle h = tmpl->units[0].object_slot->handle;
        if (t.is_minimized(h)) t.show(h, tk::Show::restore);
        else t.activate_window(h);
        return true;
    }

    t.deliver_waiting();
    open_windows.push_back(OpenWindow{window_id, tmpl->units, {}});
    open_windows.back().controls.resize(tmpl->units.size());
    frame::block_events();

    // Create the window first, then the controls from the last list position down.
    std::vector<form::UnitRecord>& units = tmpl->units;
    const std::size_t count = units.size();
    bool failed = false;
    tk::Handle window = nullptr;
    std::int32_t child_id = FIRST_CHILD_ID;
    for (std::size_t step = 0; step < count && !failed; ++step) {
        std::size_t pos = step == 0 ? 0 : count - step;
        form::UnitRecord& unit = units[pos];
        if (pos != 0 && is_menu_item(unit.id)) continue;
        Creator create = creator_of(unit.kind);
        if (create == nullptr || (pos == 0) != (unit.kind == form::KIND_WINDOW)) {
            failed = true;
            break;
        }
        ControlPlacement p;
        p.parent = window;
        p.rect = {unit.left, unit.top, unit.width, unit.height};
        p.style = placement_style(unit.flags);
        p.window_id = window_id;
        p.unit_id = unit.id;
        if (pos != 0) {
            p.child_id = child_id;
            child_id += CHILD_ID_STEP;
        }
        std::unique_ptr<Control> c = create(unit.settings, p);
        if (c == nullptr) {
            failed = true;
            break;
        }
        t.set_user(c->handle, c.get());
        if (pos == 0) window = c->handle;
        unit.object_slot = c.get();
        open_entry(window_id)->controls[pos] = std::move(c);
    }
    if (failed) {
        abandon(window_id);
        frame::unblock_events();
        return false;
    }
    tmpl = frame::templates().find(window_id);  // the entry list may have moved
    std::vector<form::UnitRecord>& built = tmpl->units;

    // Into the group frames; the stored corners now count from the frame's client area.
    for (std::size_t pos = 1; pos < count; ++pos) {
        if (built[pos].object_slot == nullptr) continue;
        tk::Handle parent = window;
        if (built[pos].parent != 0) {
            const form::UnitRecord* frame_unit = tmpl->find(built[pos].parent);
            if (frame_unit != nullptr && frame_unit->object_slot != nullptr)
                parent = frame_unit->object_slot->handle;
        }
        t.set_parent(built[pos].object_slot->handle, parent);
    }
    // Stack siblings by list order: each directly below the nearest earlier sibling.
    for (std::size_t pos = 1; pos < count; ++pos) {
        if (built[pos].object_slot == nullptr) continue;
        tk::Handle above = nullptr;
        for (std::size_t earlier = pos - 1; earlier >= 1; --earlier) {
            if (built[earlier].object_slot != nullptr && built[earlier].parent == built[pos].parent) {
                above = built[earlier].object_slot->handle;
                break;
            }
        }
        t.place_below(built[pos].object_slot->handle, above);
    }
    for (form::UnitRecord& unit : built) {
        if (unit.object_slot == nullptr) continue;
        if (tk::Cursor cursor = load_pointer(unit)) {
            unit.object_slot->cursor = cursor;
            unit.pointer_slot = cursor;
            t.set_cursor(unit.object_slot->handle, cursor);
        }
    }
    // No control of this program shows a data source, so telling the units that the window
    // is complete has nothing to do.

    // Show the controls in creation order, without activating them; the window stays hidden.
    for (std::size_t step = 1; step < count; ++step) {
        form::UnitRecord& unit = built[count - step];
        if (unit.object_slot == nullptr) continue;
        t.show(unit.object_slot->handle,
               (unit.flags & form::FLAG_VISIBLE) ? tk::Show::show_no_activate : tk::Show::hide);
    }
    t.deliver_waiting();  // their events are dropped: the build still blocks them
    frame::unblock_events();

    const std::uint32_t window_unit = built[0].id;
    frame::raise_event(window_id, window_unit, EVENT_CREATED);
    if (!t.exists(window)) return true;
    frame::raise_event(window_id, window_unit, EVENT_MOVED);
    if (!t.exists(window)) return true;
    frame::raise_event(window_id, window_unit, EVENT_RESIZED);
    if (!t.exists(window)) return true;

    tmpl = frame::templates().find(window_id);
    const form::UnitRecord& own = tmpl->units[0];
    if (own.flags & form::FLAG_VISIBLE) {
        const WindowSettings& s = *own.object_slot->window;
        if (s.start_position == 2) {
            t.show(window, tk::Show::show_minimized);
        } else if (s.start_position == 3) {
            if (t.is_minimized(window) || t.is_maximized(window)) t.show(window, tk::Show::restore);
            t.show(window, tk::Show::show_maximized);
            t.move(window, t.work_area(window));
        } else {
            // Activation gives the focus to the first member of the focus ring.
            t.show(window, tk::Show::show);
            if (t.focus() == nullptr || !is_inside(window, t.focus())) give_first_focus(window);
        }
    }
    if (!t.exists(window)) return true;
    tk::Handle focused = t.focus();
    if (focused != nullptr && is_inside(window, focused)) {
        if (auto* c = static_cast<Control*>(t.user(focused)))
            frame::raise_event(c->window_id, c->unit_id, EVENT_GOT_FOCUS);
    }
    return true;
}

}  // namespace ui
