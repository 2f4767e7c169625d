// Building the window from its template, and the window layer's answers to the frame.
#pragma once

#include <cstdint>

#include "frame/frame.h"
#include "window/control.h"

namespace ui {

// Builds and shows the window of the template with this id. False: the build failed and
// nothing is shown.
bool open_window(std::uint32_t window_id);

bool any_window_open();

// The live control of a unit, or null when the window is not open or the control is gone.
Control* live_control(const form::UnitRecord& unit);

// A kind's own property (index 8 and up, given here as index - 8). False: not provided.
bool get_own_property(Control& c, form::UnitRecord& unit, std::int32_t own, frame::Value& out);
bool set_own_property(Control& c, form::UnitRecord& unit, std::int32_t own,
                      const frame::Value& value);

// Frees the live objects of every window; the frame calls it at shut-down.
void release_all_controls();

}  // namespace ui
