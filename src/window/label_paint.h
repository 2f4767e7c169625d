// The label's painting: border, background and text, decided here and drawn on a canvas.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "toolkit/toolkit.h"
#include "window/settings.h"

namespace ui {

// What the paint needs from outside the settings: the system colour of this moment, the
// font the label uses (chosen by its owner) and its decoded picture with its natural size
// (null when the label has none or it could not be decoded).
struct LabelPaintEnv {
    Color button_face = 0;
    tk::Font font = nullptr;
    tk::Image picture = nullptr;
    std::int32_t picture_width = 0, picture_height = 0;
};

// Paints the label whose client area is `client`; `dirty` is the area to paint (empty:
// nothing is drawn). `text` is the label's window text.
void paint_label(const LabelSettings& s, std::string_view text, tk::Rect client, tk::Rect dirty,
                 tk::Canvas& canvas, const LabelPaintEnv& env);

// --- the parts, for the label and for tests ---

// The usable colours of a gradient: those that are not SYSTEM_DEFAULT_COLOR, in order.
std::vector<Color> usable_colors(const std::array<Color, 3>& colors);

// The colour at t (0..1) along 2 or 3 evenly spaced stops.
Color blend(const std::vector<Color>& stops, double t);

// Concentric one-pixel frames inside `r`, `width` of them, the outermost in the first stop.
void draw_gradient_frame(tk::Canvas& canvas, const tk::Rect& r, std::int32_t width,
                         const std::vector<Color>& stops);

// Fills `r` with gradient pattern `mode` (1..8) through `stops`.
void draw_gradient(tk::Canvas& canvas, const tk::Rect& r, std::int32_t mode,
                   const std::vector<Color>& stops);

}  // namespace ui
