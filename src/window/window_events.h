// The window layer's answers to the toolkit's notifications.
#pragma once

#include <cstdint>

#include "toolkit/toolkit.h"

namespace ui {

// Connects the window layer to the frame's toolkit; idempotent.
void install_window_events();
tk::Events& window_events();

// Whether `h` is `window` or lies inside it.
bool is_inside(tk::Handle window, tk::Handle h);

// The user, or Esc, asks the window to close: events 12 and 1, then destruction unless a
// handler of either returned 0.
void request_close(tk::Handle window);

// A window of the program is gone (called once its destruction is complete).
void window_gone(std::uint32_t window_id);

}  // namespace ui
