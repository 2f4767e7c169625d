// The window's keyboard handling and its focus ring.
#pragma once

#include <vector>

#include "toolkit/toolkit.h"
#include "window/form.h"

namespace ui {

// The members of the focus ring in ring order: tab-stop controls that are not group frames,
// visible and enabled now; ascending tab_order, ties broken by the higher list position.
std::vector<const form::UnitRecord*> focus_ring(const form::WindowTemplate& t);

// Gives the focus to the first member of the ring of the window `window`.
void give_first_focus(tk::Handle window);

// The window's pre-processing of a key press: true when handled.
bool pre_translate_key(const tk::KeyPress& key);

}  // namespace ui
