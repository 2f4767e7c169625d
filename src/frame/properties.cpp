// Property access by number: the common properties 0 to 7 and each kind's own from 8 on.
#include <cstring>

#include "frame/frame_internal.h"
#include "window/open_window.h"

namespace frame {

namespace {

constexpr std::int32_t FIRST_OWN = 8;

form::UnitRecord& unit_of(std::uint32_t window_id, std::uint32_t control_id) {
    form::WindowTemplate* t = templates().find(window_id);
    if (t == nullptr) report_fatal_error("没有这个窗口", window_id, control_id);
    form::UnitRecord* unit = t->find(control_id);
    // Ids that name no unit are reported like a control that is not live.
    if (unit == nullptr) report_fatal_error("窗口中没有这个控件", window_id, control_id);
    return *unit;
}

Text copy_text(std::string_view s) {
    if (s.empty()) return nullptr;
    Text t = allocate_text(s.size() + 1);
    std::memcpy(t, s.data(), s.size());
    t[s.size()] = 0;
    return t;
}

Value common_property(form::UnitRecord& unit, std::int32_t index) {
    Value v;
    ui::Control* c = ui::live_control(unit);
    tk::Rect r{unit.left, unit.top, unit.width, unit.height};
    if (c != nullptr) r = toolkit().outer_rect(c->handle);
    switch (index) {
        case 0: v.number = r.left; break;
        case 1: v.number = r.top; break;
        case 2: v.number = r.width; break;
        case 3: v.number = r.height; break;
        case 4:
            v.type = ValueType::text;
            v.text = copy_text(unit.tag);
            break;
        case 5:
            v.type = ValueType::flag;
            v.number = c != nullptr ? toolkit().is_visible(c->handle)
                                    : (unit.flags & form::FLAG_VISIBLE) != 0;
            break;
        case 6:
            v.type = ValueType::flag;
            v.number = c != nullptr ? !toolkit().is_enabled(c->handle)
                                    : (unit.flags & form::FLAG_DISABLED) != 0;
            break;
        case 7: {
            // The mouse pointer data: its selector, the first four bytes as an i32.
            v.type = ValueType::bytes;
            std::int32_t selector = 0;
            if (unit.mouse_pointer.size() >= 4) std::memcpy(&selector, unit.mouse_pointer.data(), 4);
            v.number = selector;
            break;
        }
        default: break;
    }
    return v;
}

}  // namespace

Value text_value(Text text) {
    Value v;
    v.type = ValueType::text;
    v.text = text;
    return v;
}

Value flag_value(std::int32_t flag) {
    Value v;
    v.type = ValueType::flag;
    v.number = flag == 1 ? 1 : 0;
    return v;
}

Value get_property(std::uint32_t window_id, std::uint32_t control_id, std::int32_t index,
                   std::int32_t /*part*/) {
    form::UnitRecord& unit = unit_of(window_id, control_id);
    if (index < FIRST_OWN) return common_property(unit, index);
    ui::Control* c = ui::live_control(unit);
    if (c == nullptr) report_fatal_error("控件不存在", window_id, control_id);
    Value v;
    ui::get_own_property(*c, unit, index - FIRST_OWN, v);
    return v;
}

void set_property(std::uint32_t window_id, std::uint32_t control_id, std::int32_t index,
                  std::int32_t /*part*/, const Value& value) {
    form::UnitRecord& unit = unit_of(window_id, control_id);
    if (index < FIRST_OWN) {
        // The program never moves, hides or retags a control; the common properties are
        // read-only here.
        return;
    }
    ui::Control* c = ui::live_control(unit);
    if (c == nullptr) report_fatal_error("控件不存在", window_id, control_id);
    ui::set_own_property(*c, unit, index - FIRST_OWN, value);
}

}  // namespace frame
