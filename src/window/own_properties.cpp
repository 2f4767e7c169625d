// The kinds' own properties that the frame reaches by number: an edit field's text and the
// check state of check boxes and radio buttons.
#include <cstring>

#include "frame/frame.h"
#include "window/open_window.h"

namespace ui {

namespace {

constexpr std::int32_t EDIT_TEXT = 0;     // property 8
constexpr std::int32_t CHECK_STATE = 10;  // property 18
constexpr std::int32_t EVENT_CHANGE = 0;

tk::Toolkit& tkit() { return frame::toolkit(); }

}  // namespace

bool get_own_property(Control& c, form::UnitRecord&, std::int32_t own, frame::Value& out) {
    if (c.kind == form::KIND_EDIT_BOX && own == EDIT_TEXT) {
        // The whole current text, as the field holds it; empty reads as an absent Text.
        std::string text = tkit().text(c.handle);
        out = frame::text_value(nullptr);
        if (text.empty()) return true;
        out.text = frame::allocate_text(text.size() + 1);
        std::memcpy(out.text, text.c_str(), text.size() + 1);
        return true;
    }
    if ((c.kind == form::KIND_CHECK_BOX || c.kind == form::KIND_RADIO_BOX) && own == CHECK_STATE) {
        c.check_state = tkit().check(c.handle) == 1 ? 1 : 0;
        out = frame::flag_value(c.check_state);
        return true;
    }
    return false;
}

bool set_own_property(Control& c, form::UnitRecord&, std::int32_t own, const frame::Value& value) {
    if (c.kind == form::KIND_EDIT_BOX && own == EDIT_TEXT) {
        const char* text = value.text != nullptr ? value.text : "";
        c.set_by_program = true;
        c.stored_text = text;
        tkit().set_text(c.handle, c.stored_text);
        c.set_by_program = false;
        // One change report follows the write, now that the new text is in place.
        frame::raise_event(c.window_id, c.unit_id, EVENT_CHANGE);
        return true;
    }
    if ((c.kind == form::KIND_CHECK_BOX || c.kind == form::KIND_RADIO_BOX) && own == CHECK_STATE) {
        c.check_state = value.number != 0 ? 1 : 0;
        tkit().set_check(c.handle, c.check_state);
        return true;
    }
    return false;
}

}  // namespace ui
