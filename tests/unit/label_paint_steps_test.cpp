// The label's paint against a recording canvas: what is drawn, where, in which colour and order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "window/label_paint.h"
#include "window/settings.h"
#include "window/styles.h"

namespace {

using ui::Color;
using tk::Rect;

struct Op {
    enum Kind { fill, clip, text, image } kind = fill;
    Rect r = {};
    Color color = 0;
    std::string text_drawn = {};
    std::uint32_t flags = 0;
    tk::Font font = nullptr;
    tk::Image picture = nullptr;
};

struct Recorder : tk::Canvas {
    std::vector<Op> ops;
    void fill(const Rect& r, Color c) override { ops.push_back({Op::fill, r, c}); }
    void clip(const Rect& r) override { ops.push_back({Op::clip, r}); }
    void draw_text(std::string_view t, const Rect& r, std::uint32_t f, Color c,
                   tk::Font font) override {
        ops.push_back({Op::text, r, c, std::string(t), f, font});
    }
    void draw_image(tk::Image i, const Rect& dest) override {
        Op op{Op::image, dest};
        op.picture = i;
        ops.push_back(op);
    }
    std::vector<Op> of(Op::Kind k) const {
        std::vector<Op> out;
        for (const Op& op : ops)
            if (op.kind == k) out.push_back(op);
        return out;
    }
};

// Paints the fills into a grid the size of `area`, counting how often each pixel is filled.
struct Grid {
    Rect area;
    std::vector<int> count;
    std::vector<Color> color;
    explicit Grid(Rect a)
        : area(a), count(std::size_t(a.width) * a.height), color(count.size(), 0xDEADBEEF) {}
    int outside = 0;  // filled pixels outside the area
    void paint(const std::vector<Op>& fills) {
        for (const Op& f : fills)
            for (int y = f.r.top; y < f.r.top + f.r.height; ++y)
                for (int x = f.r.left; x < f.r.left + f.r.width; ++x) {
                    if (x < area.left || y < area.top || x >= area.left + area.width ||
                        y >= area.top + area.height) {
                        ++outside;
                        continue;
                    }
                    const std::size_t i = std::size_t(y - area.top) * area.width + (x - area.left);
                    ++count[i];
                    color[i] = f.color;
                }
    }
    int at(int x, int y) const { return count[std::size_t(y - area.top) * area.width + (x - area.left)]; }
    Color color_at(int x, int y) const {
        return color[std::size_t(y - area.top) * area.width + (x - area.left)];
    }
};

const tk::Font kFont = reinterpret_cast<tk::Font>(std::uintptr_t{0x1000});
const tk::Image kImage = reinterpret_cast<tk::Image>(std::uintptr_t{0x2000});
constexpr Color kFace = 0xC8D0D4;

ui::LabelPaintEnv env() {
    ui::LabelPaintEnv e;
    e.button_face = kFace;
    e.font = kFont;
    return e;
}

constexpr std::uint32_t kOneLine = ui::DT_NOCLIP_ | ui::DT_SINGLELINE_ | ui::DT_VCENTER_;

TEST(LabelPaintThisWindow, RedOneLineLabelOnTheButtonFace) {
    // 标签22 as its block gives it: version 2, defaults except caption and a red text colour.
    ui::LabelSettings s;
    s.version = 2;
    s.text_color = 0x0000FF;
    s.caption = "标签22";
    const Rect client{0, 0, 160, 20};
    Recorder c;
    ui::paint_label(s, s.caption, client, client, c, env());
    ASSERT_EQ(c.ops.size(), 3u);
    EXPECT_EQ(c.ops[0].kind, Op::clip);
    EXPECT_EQ(c.ops[0].r, client);
    EXPECT_EQ(c.ops[1].kind, Op::fill);
    EXPECT_EQ(c.ops[1].r, client);
    EXPECT_EQ(c.ops[1].color, kFace);
    EXPECT_EQ(c.ops[2].kind, Op::text);
    EXPECT_EQ(c.ops[2].text_drawn, s.caption);
    EXPECT_EQ(c.ops[2].r, client);
    EXPECT_EQ(c.ops[2].flags, kOneLine);
    EXPECT_EQ(c.ops[2].flags, 0x124u);
    EXPECT_EQ(c.ops[2].color, 0x0000FFu);
    EXPECT_EQ(c.ops[2].font, kFont);
}

TEST(LabelPaintStops, EmptyDirtyAreaDrawsNothingAndEmptyTextStopsAfterTheBackground) {
    ui::LabelSettings s;
    const Rect client{0, 0, 50, 20};
    for (Rect dirty : {Rect{0, 0, 0, 10}, Rect{5, 5, 10, 0}, Rect{0, 0, -3, -3}}) {
        Recorder c;
        ui::paint_label(s, "x", client, dirty, c, env());
        EXPECT_TRUE(c.ops.empty());
    }
    Recorder c;
    ui::paint_label(s, "", client, client, c, env());
    ASSERT_EQ(c.ops.size(), 2u);
    EXPECT_EQ(c.ops[0].kind, Op::clip);
    EXPECT_EQ(c.ops[1].kind, Op::fill);
}

TEST(LabelPaintStops, ClipIsTheDirtyPartOfTheTextArea) {
    ui::LabelSettings s;
    s.back_color = 0x00FF00;  // used as stored
    Recorder c;
    ui::paint_label(s, "x", {0, 0, 50, 20}, {40, 10, 30, 30}, c, env());
    ASSERT_GE(c.ops.size(), 2u);
    EXPECT_EQ(c.ops[0].kind, Op::clip);
    EXPECT_EQ(c.ops[0].r, (Rect{40, 10, 10, 10}));
    EXPECT_EQ(c.ops[1].color, 0x00FF00u);
}

// --- the gradient border ---

TEST(LabelPaintBorder, FewerThanTwoUsableColoursDrawNoBorder) {
    const std::array<Color, 3> sets[] = {
        {ui::SYSTEM_DEFAULT_COLOR, 0x123456, ui::SYSTEM_DEFAULT_COLOR},
        {ui::SYSTEM_DEFAULT_COLOR, ui::SYSTEM_DEFAULT_COLOR, ui::SYSTEM_DEFAULT_COLOR},
    };
    for (const auto& colors : sets) {
        ui::LabelSettings s;
        s.border_style = 6;
        s.gradient_border_width = 4;
        s.gradient_border_colors = colors;
        const Rect client{0, 0, 60, 24};
        Recorder c;
        ui::paint_label(s, "t", client, client, c, env());
        ASSERT_EQ(c.ops.size(), 3u);
        EXPECT_EQ(c.ops[0].r, client);  // clip
        EXPECT_EQ(c.ops[1].r, client);  // background
        EXPECT_EQ(c.ops[2].r, client);  // text: not shrunk
    }
}

TEST(LabelPaintBorder, NoBorderUnlessStyleSixWithAPositiveWidth) {
    for (auto [style, width] : {std::pair{5, 4}, std::pair{6, 0}, std::pair{6, -3}}) {
        ui::LabelSettings s;
        s.border_style = style;
        s.gradient_border_width = width;
        s.gradient_border_colors = {0x0000FF, 0x00FF00, 0xFF0000};
        Recorder c;
        ui::paint_label(s, "t", {0, 0, 40, 20}, {0, 0, 40, 20}, c, env());
        ASSERT_EQ(c.ops.size(), 3u) << style << " " << width;
        EXPECT_EQ(c.ops[2].r, (Rect{0, 0, 40, 20}));
    }
}

TEST(LabelPaintBorder, ConcentricFramesThenTheShrunkTextArea) {
    ui::LabelSettings s;
    s.border_style = 6;
    s.gradient_border_width = 3;
    s.gradient_border_colors = {0x0000FF, ui::SYSTEM_DEFAULT_COLOR, 0x00FF00};
    const Rect client{0, 0, 40, 20};
    Recorder c;
    ui::paint_label(s, "t", client, client, c, env());

    // The frame's fills come before the clip; everything after is inside the shrunk area.
    std::vector<Op> frame;
    std::size_t i = 0;
    for (; i < c.ops.size() && c.ops[i].kind == Op::fill; ++i) frame.push_back(c.ops[i]);
    ASSERT_LT(i, c.ops.size());
    const Rect inner{3, 3, 34, 14};
    EXPECT_EQ(c.ops[i].kind, Op::clip);
    EXPECT_EQ(c.ops[i].r, inner);
    const auto texts = c.of(Op::text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].r, inner);

    // The frame covers exactly the three outer rings, each pixel once; nothing inside.
    Grid g(client);
    g.paint(frame);
    EXPECT_EQ(g.outside, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const int ring = std::min(std::min(x, 39 - x), std::min(y, 19 - y));
            EXPECT_EQ(g.at(x, y), ring < 3 ? 1 : 0) << x << "," << y;
        }
    // Outermost in the first usable colour, innermost in the last, halfway between them.
    EXPECT_EQ(g.color_at(0, 10), 0x0000FFu);
    EXPECT_EQ(g.color_at(20, 1), 0x008080u);
    EXPECT_EQ(g.color_at(38 - 1, 10), 0x00FF00u);
    // The background fills the inner area.
    Grid inside(client);
    std::vector<Op> rest(c.ops.begin() + static_cast<long>(i) + 1, c.ops.end());
    std::erase_if(rest, [](const Op& op) { return op.kind != Op::fill; });
    inside.paint(rest);
    EXPECT_EQ(inside.at(3, 3), 1);
    EXPECT_EQ(inside.at(2, 3), 0);
}

TEST(LabelPaintBorder, WiderThanTheLabelCollapsesWithoutOverlap) {
    ui::LabelSettings s;
    s.border_style = 6;
    s.gradient_border_width = 1000;
    s.gradient_border_colors = {0x000000, 0xFFFFFF, 0x000000};
    const Rect client{0, 0, 9, 5};
    Recorder c;
    ui::paint_label(s, "t", client, client, c, env());
    std::vector<Op> fills;
    for (const Op& op : c.ops) {
        if (op.kind != Op::fill) break;
        fills.push_back(op);
    }
    Grid g(client);
    g.paint(fills);
    EXPECT_EQ(g.outside, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(g.at(x, y), 1) << x << "," << y;
    for (const Op& op : c.ops) {
        EXPECT_GE(op.r.width, 0);
        EXPECT_GE(op.r.height, 0);
    }
}

// --- text effects and layout ---

TEST(LabelPaintText, EffectsTable) {
    struct Draw {
        int dx, dy;
        Color color;
    };
    struct Row {
        std::int32_t effect;
        std::vector<Draw> draws;
    };
    const Color text = 0x123456;
    const Row rows[] = {
        {0, {{0, 0, text}}},
        {1, {{1, 1, 0xFFFFFF}, {0, 0, text}}},
        {2, {{0, 0, 0xFFFFFF}, {1, 1, text}}},
        {3, {{2, 2, 0x000000}, {0, 0, text}}},
        {4, {{0, 0, text}}},
        {-1, {{0, 0, text}}},
    };
    const Rect client{5, 6, 70, 22};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.effect);
        ui::LabelSettings s;
        s.text_effect = row.effect;
        s.text_color = text;
        s.horizontal_align = 1;
        Recorder c;
        ui::paint_label(s, "abc", client, client, c, env());
        const auto texts = c.of(Op::text);
        ASSERT_EQ(texts.size(), row.draws.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].r, (Rect{client.left + row.draws[i].dx, client.top + row.draws[i].dy,
                                        client.width, client.height}));
            EXPECT_EQ(texts[i].color, row.draws[i].color);
            EXPECT_EQ(texts[i].flags, kOneLine | ui::DT_CENTER_);
            EXPECT_EQ(texts[i].text_drawn, "abc");
        }
        EXPECT_EQ(c.ops.back().kind, Op::text);  // the text proper is the last drawing
    }
}

TEST(LabelPaintText, WordWrapStartsAtTheTopWhateverVerticalAlignSays) {
    for (std::int32_t v : {0, 1, 2}) {
        ui::LabelSettings s;
        s.word_wrap = 1;
        s.vertical_align = v;
        Recorder c;
        ui::paint_label(s, "a long caption that wraps", {0, 0, 30, 60}, {0, 0, 30, 60}, c, env());
        const auto texts = c.of(Op::text);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].flags, ui::DT_NOCLIP_ | ui::DT_WORDBREAK_ | ui::DT_VCENTER_) << v;
        EXPECT_EQ(texts[0].flags & (ui::DT_SINGLELINE_ | ui::DT_BOTTOM_), 0u);
    }
}

// --- gradient backgrounds ---

int gray(Color c) { return static_cast<int>(c & 0xFF); }

TEST(LabelPaintGradient, EveryModeCoversTheAreaOnceInTheRightDirection) {
    struct Row {
        std::int32_t mode;
        // Where the first stop (black) and the last (white) should show.
        int first_x, first_y, last_x, last_y;
    };
    const Rect r{10, 4, 120, 48};
    const int L = 10, T = 4, Rt = 129, B = 51, CX = 70, CY = 28;
    const Row rows[] = {
        {1, CX, T, CX, B},   // top -> bottom
        {2, L, CY, Rt, CY},  // left -> right
        {3, CX, B, CX, T},   // bottom -> top
        {4, Rt, CY, L, CY},  // right -> left
        {5, CX, CY, L, CY},  // centre -> left and right edges
        {6, CX, CY, CX, T},  // centre -> top and bottom edges
        {7, L, T, Rt, B},    // top-left -> bottom-right
        {8, Rt, T, L, B},    // top-right -> bottom-left
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        ui::LabelSettings s;
        s.gradient_mode = row.mode;
        s.gradient_colors = {0x000000, ui::SYSTEM_DEFAULT_COLOR, 0xFFFFFF};
        Recorder c;
        ui::paint_label(s, "", r, r, c, env());
        Grid g(r);
        g.paint(c.of(Op::fill));
        EXPECT_EQ(g.outside, 0);
        for (int y = r.top; y < r.top + r.height; ++y)
            for (int x = r.left; x < r.left + r.width; ++x) ASSERT_EQ(g.at(x, y), 1) << x << "," << y;
        EXPECT_LT(gray(g.color_at(row.first_x, row.first_y)), 40);
        EXPECT_GT(gray(g.color_at(row.last_x, row.last_y)), 215);
        // Grey throughout: the two stops blend channel by channel.
        const Color mid = g.color_at(CX + 5, CY + 3);
        EXPECT_EQ(mid & 0xFF, (mid >> 8) & 0xFF);
        EXPECT_EQ(mid & 0xFF, (mid >> 16) & 0xFF);
    }
    // The mirrored modes really are mirrors.
    auto sample = [&](std::int32_t mode, int x, int y) {
        ui::LabelSettings s;
        s.gradient_mode = mode;
        s.gradient_colors = {0x000000, 0xFFFFFF, ui::SYSTEM_DEFAULT_COLOR};
        Recorder c;
        ui::paint_label(s, "", r, r, c, env());
        Grid g(r);
        g.paint(c.of(Op::fill));
        return gray(g.color_at(x, y));
    };
    EXPECT_LT(std::abs(sample(1, 20, T + 10) - sample(3, 20, B - 10)), 3);
    EXPECT_LT(std::abs(sample(2, L + 30, 9) - sample(4, Rt - 30, 9)), 3);
    EXPECT_LT(std::abs(sample(5, L + 10, 9) - sample(5, Rt - 10, 9)), 3);
}

TEST(LabelPaintGradient, ThreeStopsPassThroughTheMiddleOne) {
    ui::LabelSettings s;
    s.gradient_mode = 2;
    s.gradient_colors = {0x0000FF, 0x00FF00, 0xFF0000};
    const Rect r{0, 0, 256, 10};
    Recorder c;
    ui::paint_label(s, "", r, r, c, env());
    Grid g(r);
    g.paint(c.of(Op::fill));
    const Color left = g.color_at(0, 5), middle = g.color_at(128, 5), right = g.color_at(255, 5);
    EXPECT_GT(left & 0xFF, 0xF0u);                // red at the left
    EXPECT_GT((middle >> 8) & 0xFF, 0xF0u);       // green in the middle
    EXPECT_LT(middle & 0xFF, 0x10u);
    EXPECT_GT((right >> 16) & 0xFF, 0xF0u);       // blue at the right
}

TEST(LabelPaintGradient, FewerThanTwoUsableColoursOrModeZeroFillPlainly) {
    for (auto [mode, colors] :
         {std::pair{3, std::array<Color, 3>{ui::SYSTEM_DEFAULT_COLOR, 0x00FF00, ui::SYSTEM_DEFAULT_COLOR}},
          std::pair{0, std::array<Color, 3>{0x000000, 0x00FF00, 0xFFFFFF}},
          std::pair{9, std::array<Color, 3>{0x000000, 0x00FF00, 0xFFFFFF}}}) {
        ui::LabelSettings s;
        s.gradient_mode = mode;
        s.gradient_colors = colors;
        Recorder c;
        ui::paint_label(s, "", {0, 0, 30, 10}, {0, 0, 30, 10}, c, env());
        const auto fills = c.of(Op::fill);
        ASSERT_EQ(fills.size(), 1u) << mode;
        EXPECT_EQ(fills[0].color, kFace);
    }
}

// --- pictures ---

struct PictureCase {
    std::int32_t mode;
    std::int32_t w, h;
    std::vector<Rect> images;
};

TEST(LabelPaintPicture, ModesAndTheUncoveredRest) {
    const Rect r{0, 0, 40, 20};
    const PictureCase cases[] = {
        {0, 10, 5, {{0, 0, 10, 5}}},
        {0, 50, 30, {{0, 0, 50, 30}}},             // larger: clipped, nothing left to fill
        {2, 10, 5, {{15, 7, 10, 5}}},              // centred at natural size
        {2, 80, 10, {{0, 7, 40, 5}}},              // too wide: shrunk, proportions kept
        {2, 10, 40, {{17, 0, 5, 20}}},             // too tall
        {1, 20, 10, {{0, 0, 20, 10}, {20, 0, 20, 10}, {0, 10, 20, 10}, {20, 10, 20, 10}}},
        {1, 30, 15, {{0, 0, 30, 15}, {30, 0, 30, 15}, {0, 15, 30, 15}, {30, 15, 30, 15}}},
        {5, 10, 5, {}},                            // not drawn: all of R is background
    };
    for (const PictureCase& pc : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << pc.mode << " " << pc.w << "x" << pc.h);
        ui::LabelSettings s;
        s.picture_mode = pc.mode;
        s.back_color = 0x0000FF;
        s.gradient_mode = 1;  // a picture beats the gradient
        auto e = env();
        e.picture = kImage;
        e.picture_width = pc.w;
        e.picture_height = pc.h;
        Recorder c;
        ui::paint_label(s, "", r, r, c, e);
        const auto images = c.of(Op::image);
        ASSERT_EQ(images.size(), pc.images.size());
        for (std::size_t i = 0; i < images.size(); ++i) {
            EXPECT_EQ(images[i].r, pc.images[i]);
            EXPECT_EQ(images[i].picture, kImage);
        }
        // Fills in back_color cover exactly what the images leave of R.
        Grid covered(r);
        covered.paint(c.of(Op::fill));
        EXPECT_EQ(covered.outside, 0);
        std::vector<Op> as_fills;
        for (const Op& op : images) as_fills.push_back({Op::fill, op.r, 0});
        Grid pictured(r);
        pictured.paint(as_fills);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                EXPECT_EQ(covered.at(x, y), pictured.at(x, y) ? 0 : 1) << x << "," << y;
                if (covered.at(x, y)) {
                    EXPECT_EQ(covered.color_at(x, y), 0x0000FFu);
                }
            }
    }
}

TEST(LabelPaintPicture, TilesOnlyWhereTheDirtyAreaIs) {
    ui::LabelSettings s;  // picture_mode 1 by default
    auto e = env();
    e.picture = kImage;
    e.picture_width = 10;
    e.picture_height = 5;
    Recorder c;
    ui::paint_label(s, "", {0, 0, 40, 20}, {12, 6, 5, 3}, c, e);
    const auto images = c.of(Op::image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].r, (Rect{10, 5, 10, 5}));
}

TEST(LabelPaintPicture, PictureInsideTheGradientBorder) {
    ui::LabelSettings s;
    s.border_style = 6;
    s.gradient_border_width = 2;
    s.picture_mode = 0;
    auto e = env();
    e.picture = kImage;
    e.picture_width = 4;
    e.picture_height = 4;
    Recorder c;
    ui::paint_label(s, "", {0, 0, 20, 12}, {0, 0, 20, 12}, c, e);
    const auto images = c.of(Op::image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].r, (Rect{2, 2, 4, 4}));
}

}  // namespace
