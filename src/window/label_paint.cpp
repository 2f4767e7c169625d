// The label's paint: gradient border, background (picture, gradient or plain colour), then
// the text with its effect. Only canvas operations; the caller supplies font and picture.
#include "window/label_paint.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "window/styles.h"

namespace ui {
namespace {

using Rect = tk::Rect;

std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool empty(const Rect& r) { return r.width <= 0 || r.height <= 0; }

std::int64_t right(const Rect& r) { return std::int64_t{r.left} + r.width; }
std::int64_t bottom(const Rect& r) { return std::int64_t{r.top} + r.height; }

// Built from edges in 64 bits, so hostile widths cannot wrap; never negative.
Rect from_edges(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
    return {clamp32(l), clamp32(t), clamp32(std::max<std::int64_t>(0, r - l)),
            clamp32(std::max<std::int64_t>(0, b - t))};
}

Rect intersect(const Rect& a, const Rect& b) {
    return from_edges(std::max(a.left, b.left), std::max(a.top, b.top),
                      std::min(right(a), right(b)), std::min(bottom(a), bottom(b)));
}

Rect inset(const Rect& r, std::int64_t by) {
    // Past the middle the rectangle collapses where it is, instead of turning inside out.
    by = std::min<std::int64_t>(by, std::max(r.width, r.height));
    return from_edges(r.left + by, r.top + by, right(r) - by, bottom(r) - by);
}

Rect offset(const Rect& r, std::int32_t dx, std::int32_t dy) {
    return {clamp32(std::int64_t{r.left} + dx), clamp32(std::int64_t{r.top} + dy), r.width,
            r.height};
}

void fill_if(tk::Canvas& canvas, const Rect& r, Color c) {
    if (!empty(r)) canvas.fill(r, c);
}

// The part of `area` outside `hole` (hole lies within area), as up to four bands.
void fill_around(tk::Canvas& canvas, const Rect& area, const Rect& hole, Color c) {
    fill_if(canvas, from_edges(area.left, area.top, right(area), hole.top), c);
    fill_if(canvas, from_edges(area.left, bottom(hole), right(area), bottom(area)), c);
    fill_if(canvas, from_edges(area.left, hole.top, hole.left, bottom(hole)), c);
    fill_if(canvas, from_edges(right(hole), hole.top, right(area), bottom(hole)), c);
}

struct Picture {
    tk::Image image;
    std::int32_t width, height;
};

void draw_picture(tk::Canvas& canvas, const Rect& r, const Rect& visible, std::int32_t mode,
                  const Picture& pic, Color back) {
    const std::int64_t pw = pic.width, ph = pic.height;
    switch (mode) {
    case 0: {
        canvas.draw_image(pic.image, {r.left, r.top, pic.width, pic.height});
        fill_around(canvas, r, intersect(r, {r.left, r.top, pic.width, pic.height}), back);
        return;
    }
    case 1: {
        // Only the tiles that meet the area to paint.
        if (empty(visible)) return;
        const std::int64_t first_col = (visible.left - r.left) / pw;
        const std::int64_t last_col = (right(visible) - 1 - r.left) / pw;
        const std::int64_t first_row = (visible.top - r.top) / ph;
        const std::int64_t last_row = (bottom(visible) - 1 - r.top) / ph;
        for (std::int64_t row = first_row; row <= last_row; ++row)
            for (std::int64_t col = first_col; col <= last_col; ++col)
                canvas.draw_image(pic.image, {clamp32(r.left + col * pw), clamp32(r.top + row * ph),
                                              pic.width, pic.height});
        return;
    }
    case 2: {
        std::int64_t dw = pw, dh = ph;
        if (pw > r.width || ph > r.height) {
            // Shrink to fit, keeping proportions: the tighter side decides.
            if (pw * r.height >= ph * r.width) {
                dw = r.width;
                dh = std::max<std::int64_t>(1, ph * r.width / pw);
            } else {
                dh = r.height;
                dw = std::max<std::int64_t>(1, pw * r.height / ph);
            }
        }
        const Rect dest = from_edges(r.left + (r.width - dw) / 2, r.top + (r.height - dh) / 2,
                                     r.left + (r.width - dw) / 2 + dw,
                                     r.top + (r.height - dh) / 2 + dh);
        canvas.draw_image(pic.image, dest);
        fill_around(canvas, r, dest, back);
        return;
    }
    default:
        canvas.fill(r, back);  // a mode that draws no picture leaves all of R uncovered
        return;
    }
}

std::uint32_t channel_of(Color c, int shift) { return (c >> shift) & 0xFF; }

}  // namespace

std::vector<Color> usable_colors(const std::array<Color, 3>& colors) {
    std::vector<Color> out;
    for (Color c : colors)
        if (c != SYSTEM_DEFAULT_COLOR) out.push_back(c);
    return out;
}

Color blend(const std::vector<Color>& stops, double t) {
    if (stops.empty()) return 0;
    if (stops.size() == 1) return stops[0];
    t = std::clamp(t, 0.0, 1.0);
    const double pos = t * static_cast<double>(stops.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(pos), stops.size() - 2);
    const double f = pos - static_cast<double>(i);
    Color out = 0;
    for (int shift : {0, 8, 16}) {
        const double a = channel_of(stops[i], shift), b = channel_of(stops[i + 1], shift);
        out |= static_cast<Color>(std::lround(a + (b - a) * f)) << shift;
    }
    return out;
}

void draw_gradient_frame(tk::Canvas& canvas, const Rect& r, std::int32_t width,
                         const std::vector<Color>& stops) {
    for (std::int32_t i = 0; i < width; ++i) {
        const Rect f = inset(r, i);
        if (empty(f)) break;
        const Color c = blend(stops, width == 1 ? 0.0 : static_cast<double>(i) / (width - 1));
        canvas.fill({f.left, f.top, f.width, 1}, c);
        if (f.height > 1) canvas.fill({f.left, clamp32(bottom(f) - 1), f.width, 1}, c);
        if (f.height > 2) {
            canvas.fill({f.left, f.top + 1, 1, f.height - 2}, c);
            if (f.width > 1) canvas.fill({clamp32(right(f) - 1), f.top + 1, 1, f.height - 2}, c);
        }
    }
}

void draw_gradient(tk::Canvas& canvas, const Rect& r, std::int32_t mode,
                   const std::vector<Color>& stops) {
    if (empty(r)) return;
    if (mode >= 1 && mode <= 6) {
        // Bands across one axis: at most 256 of them, as even as integer edges allow.
        const bool down = mode == 1 || mode == 3 || mode == 6;
        const std::int64_t length = down ? r.height : r.width;
        const std::int64_t bands = std::min<std::int64_t>(length, 256);
        for (std::int64_t i = 0; i < bands; ++i) {
            const std::int64_t from = length * i / bands, to = length * (i + 1) / bands;
            const double c = (static_cast<double>(i) + 0.5) / static_cast<double>(bands);
            const double t = mode <= 2 ? c : mode <= 4 ? 1.0 - c : std::abs(2.0 * c - 1.0);
            const Rect band = down ? from_edges(r.left, r.top + from, right(r), r.top + to)
                                   : from_edges(r.left + from, r.top, r.left + to, bottom(r));
            fill_if(canvas, band, blend(stops, t));
        }
        return;
    }
    if (mode == 7 || mode == 8) {
        // A grid of at most 64 x 64 cells; runs of one colour along a row become one fill.
        // 7 runs from the top-left corner to the bottom-right, 8 from top-right to bottom-left.
        const std::int64_t cols = std::min<std::int64_t>(r.width, 64);
        const std::int64_t rows = std::min<std::int64_t>(r.height, 64);
        for (std::int64_t j = 0; j < rows; ++j) {
            const std::int64_t y0 = r.top + r.height * j / rows;
            const std::int64_t y1 = r.top + r.height * (j + 1) / rows;
            const double v = (static_cast<double>(j) + 0.5) / static_cast<double>(rows);
            std::int64_t run_start = r.left;
            Color run_color = 0;
            for (std::int64_t i = 0; i < cols; ++i) {
                const std::int64_t x0 = r.left + r.width * i / cols;
                const double u = (static_cast<double>(i) + 0.5) / static_cast<double>(cols);
                const Color c = blend(stops, ((mode == 7 ? u : 1.0 - u) + v) / 2.0);
                if (i == 0) {
                    run_color = c;
                } else if (c != run_color) {
                    fill_if(canvas, from_edges(run_start, y0, x0, y1), run_color);
                    run_start = x0;
                    run_color = c;
                }
            }
            fill_if(canvas, from_edges(run_start, y0, right(r), y1), run_color);
        }
        return;
    }
    fill_if(canvas, r, stops.empty() ? 0 : stops.front());
}

void paint_label(const LabelSettings& s, std::string_view text, tk::Rect client, tk::Rect dirty,
                 tk::Canvas& canvas, const LabelPaintEnv& env) {
    if (empty(dirty)) return;
    Rect r = client;

    if (s.border_style == 6 && s.gradient_border_width > 0) {
        const auto stops = usable_colors(s.gradient_border_colors);
        if (stops.size() >= 2) {
            draw_gradient_frame(canvas, r, s.gradient_border_width, stops);
            r = inset(r, s.gradient_border_width);
        }
    }

    const Rect visible = intersect(r, dirty);
    canvas.clip(visible);

    const Color back = resolve_color(s.back_color, env.button_face);
    const auto gradient = usable_colors(s.gradient_colors);
    if (env.picture != nullptr && env.picture_width > 0 && env.picture_height > 0) {
        const Picture pic{env.picture, env.picture_width, env.picture_height};
        if (!empty(r)) draw_picture(canvas, r, visible, s.picture_mode, pic, back);
    } else if (s.gradient_mode >= 1 && s.gradient_mode <= 8 && gradient.size() >= 2) {
        draw_gradient(canvas, r, s.gradient_mode, gradient);
    } else {
        fill_if(canvas, r, back);
    }

    if (text.empty()) return;
    const std::uint32_t flags = label_text_flags(s);
    constexpr Color white = 0xFFFFFF, black = 0x000000;
    switch (s.text_effect) {
    case 1:  // raised: a white copy below right
        canvas.draw_text(text, offset(r, 1, 1), flags, white, env.font);
        canvas.draw_text(text, r, flags, s.text_color, env.font);
        break;
    case 2:  // sunken: the white copy stays, the text moves below right
        canvas.draw_text(text, r, flags, white, env.font);
        canvas.draw_text(text, offset(r, 1, 1), flags, s.text_color, env.font);
        break;
    case 3:  // shadow
        canvas.draw_text(text, offset(r, 2, 2), flags, black, env.font);
        canvas.draw_text(text, r, flags, s.text_color, env.font);
        break;
    default:
        canvas.draw_text(text, r, flags, s.text_color, env.font);
        break;
    }
}

}  // namespace ui
