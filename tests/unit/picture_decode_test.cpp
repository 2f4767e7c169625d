// Decoding hand-built BMP and ICO files, and refusing malformed ones without reading past them.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "window/picture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct W {
    Bytes b;
    W& u8(std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    W& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    W& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    W& raw(const Bytes& d) {
        b.insert(b.end(), d.begin(), d.end());
        return *this;
    }
    W& zeros(std::size_t n) {
        b.insert(b.end(), n, 0);
        return *this;
    }
};

// A DIB header of `size` bytes (40, 108 or 124); masks go in when the header holds them.
Bytes info_header(std::uint32_t size, std::int32_t w, std::int32_t h, std::uint32_t bits,
                  std::uint32_t compression = 0, std::uint32_t colours_used = 0,
                  const std::vector<std::uint32_t>& inner_masks = {}) {
    W hdr;
    hdr.u32(size).u32(static_cast<std::uint32_t>(w)).u32(static_cast<std::uint32_t>(h)).u16(1)
        .u16(bits).u32(compression).u32(0).u32(2835).u32(2835).u32(colours_used).u32(0);
    for (std::uint32_t m : inner_masks) hdr.u32(m);
    hdr.zeros(size - hdr.b.size());
    return hdr.b;
}

// A BMP file: file header, `dib` (header, masks, palette), then the pixel rows.
Bytes bmp_file(const Bytes& dib, const Bytes& rows) {
    W f;
    f.u8('B').u8('M').u32(static_cast<std::uint32_t>(14 + dib.size() + rows.size())).u32(0)
        .u32(static_cast<std::uint32_t>(14 + dib.size()));
    return f.raw(dib).raw(rows).b;
}

Bytes quad_palette(const std::vector<std::uint32_t>& rgb) {
    W p;
    for (std::uint32_t c : rgb) p.u8(c).u8(c >> 8).u8(c >> 16).u8(0);  // B, G, R, reserved
    return p.b;
}

Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// 2 x 2, 24 bits: stored bottom row first, each row padded to 4 bytes.
Bytes bmp24(bool top_down) {
    const Bytes first_stored = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0};  // red, green
    const Bytes second_stored = {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0};  // blue, white
    return bmp_file(info_header(40, 2, top_down ? -2 : 2, 24), cat(first_stored, second_stored));
}

TEST(PictureBmp, TwentyFourBitsBottomUpAndTopDown) {
    const auto up = ui::decode_picture(bmp24(false));
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(up->width, 2);
    EXPECT_EQ(up->height, 2);
    EXPECT_FALSE(up->is_icon);
    // The first stored row is the bottom one.
    EXPECT_EQ(up->argb, (std::vector<std::uint32_t>{0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00}));

    const auto down = ui::decode_picture(bmp24(true));
    ASSERT_TRUE(down.has_value());
    EXPECT_EQ(down->argb,
              (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
}

TEST(PictureBmp, PaletteDepths) {
    const std::vector<std::uint32_t> pal = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00};
    struct Row {
        std::uint32_t bits;
        std::int32_t width;
        Bytes rows;  // one row, padded
        std::vector<std::uint32_t> expect;
    };
    const Row rows[] = {
        // 1 bit, 3 pixels: 1 0 1 from the most significant bit.
        {1, 3, {0b10100000, 0, 0, 0}, {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        // 4 bits: indexes 2, 3, 1.
        {4, 3, {0x23, 0x10, 0, 0}, {0xFFFF0000, 0xFF00FF00, 0xFFFFFFFF}},
        // 8 bits: indexes 3, 0, 2, 1, 2 (two rows' worth of padding to 8 bytes).
        {8, 5, {3, 0, 2, 1, 2, 0, 0, 0}, {0xFF00FF00, 0xFF000000, 0xFFFF0000, 0xFFFFFFFF, 0xFFFF0000}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bits);
        const std::uint32_t entries = r.bits == 1 ? 2 : 4;
        const std::vector<std::uint32_t> used(pal.begin(), pal.begin() + entries);
        const auto p = ui::decode_picture(bmp_file(
            cat(info_header(40, r.width, 1, r.bits, 0, entries), quad_palette(used)), r.rows));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->width, r.width);
        EXPECT_EQ(p->argb, r.expect);
    }
    // An index past a short palette shows black.
    const auto p = ui::decode_picture(
        bmp_file(cat(info_header(40, 2, 1, 8, 0, 2), quad_palette({0x123456, 0x654321})),
                 {1, 7, 0, 0}));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->argb, (std::vector<std::uint32_t>{0xFF654321, 0xFF000000}));
}

TEST(PictureBmp, CoreHeaderWithThreeBytePalette) {
    W core;
    core.u32(12).u16(2).u16(1).u16(1).u16(8);
    core.raw({0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00});  // red, blue as B, G, R
    const auto p = ui::decode_picture(bmp_file(cat(core.b, Bytes(254 * 3, 0)), {1, 0, 0, 0}));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->argb, (std::vector<std::uint32_t>{0xFF0000FF, 0xFFFF0000}));
}

TEST(PictureBmp, SixteenAndThirtyTwoBits) {
    // 16 bits 5-5-5 without masks: pure red and pure blue.
    {
        const auto p = ui::decode_picture(
            bmp_file(info_header(40, 2, 1, 16), W{}.u16(0x7C00).u16(0x001F).b));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->argb, (std::vector<std::uint32_t>{0xFFFF0000, 0xFF0000FF}));
    }
    // 16 bits 5-6-5 through bit fields after a 40-byte header: green, then mid grey-ish.
    {
        const Bytes masks = W{}.u32(0xF800).u32(0x07E0).u32(0x001F).b;
        const auto p = ui::decode_picture(bmp_file(cat(info_header(40, 2, 1, 16, 3), masks),
                                                   W{}.u16(0x07E0).u16(0x8410).b));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->argb[0], 0xFF00FF00u);
        EXPECT_EQ(p->argb[1], 0xFF848284u);  // 16/31, 32/63, 16/31 of 255, rounded
    }
    // 32 bits, BI_RGB, alpha bytes all zero: opaque.
    {
        const auto p = ui::decode_picture(
            bmp_file(info_header(40, 1, 1, 32), {0x10, 0x20, 0x30, 0x00}));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->argb[0], 0xFF302010u);
    }
    // 32 bits, BI_RGB, with alpha: kept.
    {
        const auto p = ui::decode_picture(
            bmp_file(info_header(40, 2, 1, 32), {0x10, 0x20, 0x30, 0x80, 1, 2, 3, 0}));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->argb, (std::vector<std::uint32_t>{0x80302010u, 0x00030201u}));
    }
    // 32 bits, V4 header with masks inside, alpha included, in an unusual order (RGBA bytes).
    {
        const auto p = ui::decode_picture(bmp_file(
            info_header(108, 1, 1, 32, 3, 0, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}),
            {0x11, 0x22, 0x33, 0x44}));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->argb[0], 0x44112233u);
    }
    // V5 header, 24 bits.
    {
        const auto p = ui::decode_picture(bmp_file(info_header(124, 1, 1, 24), {1, 2, 3, 0}));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->argb[0], 0xFF030201u);
    }
}

// --- icons ---

struct IconImage {
    std::uint8_t w, h;
    Bytes data;
};

Bytes ico_file(const std::vector<IconImage>& images) {
    W f;
    f.u16(0).u16(1).u16(static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const IconImage& i : images) {
        f.u8(i.w).u8(i.h).u8(0).u8(0).u16(1).u16(32).u32(static_cast<std::uint32_t>(i.data.size()))
            .u32(offset);
        offset += static_cast<std::uint32_t>(i.data.size());
    }
    for (const IconImage& i : images) f.raw(i.data);
    return f.b;
}

// A 24-bit icon image of one colour, with a mask row pattern (bit set: transparent).
Bytes icon24(std::int32_t side, std::uint32_t rgb, std::uint8_t mask_first_row) {
    W d;
    d.raw(info_header(40, side, side * 2, 24));
    const std::size_t stride = (static_cast<std::size_t>(side) * 3 + 3) / 4 * 4;
    for (std::int32_t y = 0; y < side; ++y) {
        std::size_t n = 0;
        for (std::int32_t x = 0; x < side; ++x, n += 3) d.u8(rgb).u8(rgb >> 8).u8(rgb >> 16);
        d.zeros(stride - n);
    }
    for (std::int32_t y = 0; y < side; ++y) d.u8(y == 0 ? mask_first_row : 0).zeros(3);
    return d.b;
}

TEST(PictureIco, LargestBitmapWithItsMask) {
    // The 2 x 2 image wins over the 1 x 1; its first stored mask row is the bottom row, and
    // the set bit 0x80 makes the bottom-left pixel transparent.
    const auto p = ui::decode_picture(
        ico_file({{1, 1, icon24(1, 0x0000FF, 0)}, {2, 2, icon24(2, 0x00FF00, 0x80)}}));
    ASSERT_TRUE(p.has_value());
    EXPECT_TRUE(p->is_icon);
    EXPECT_EQ(p->width, 2);
    EXPECT_EQ(p->height, 2);
    EXPECT_EQ(p->argb, (std::vector<std::uint32_t>{0xFF00FF00, 0xFF00FF00, 0x0000FF00, 0xFF00FF00}));
}

TEST(PictureIco, AlphaChannelWinsOverTheMask) {
    W d;
    d.raw(info_header(40, 1, 2, 32)).raw({0x10, 0x20, 0x30, 0x40}).u8(0x80).zeros(3);
    const auto p = ui::decode_picture(ico_file({{1, 1, d.b}}));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->argb[0], 0x40302010u);

    // Alpha all zero: the mask decides (bit clear: opaque).
    W z;
    z.raw(info_header(40, 1, 2, 32)).raw({0x10, 0x20, 0x30, 0x00}).u8(0x00).zeros(3);
    const auto q = ui::decode_picture(ico_file({{1, 1, z.b}}));
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->argb[0], 0xFF302010u);
}

TEST(PictureIco, PngImagesAreNotDecoded) {
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
    EXPECT_FALSE(ui::decode_picture(ico_file({{0, 0, png}})).has_value());
    // A bitmap beside a larger PNG is still usable.
    const auto p = ui::decode_picture(ico_file({{0, 0, png}, {1, 1, icon24(1, 0x0000FF, 0)}}));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->argb[0], 0xFF0000FFu);
}

// --- malformed input ---

Bytes with_u32(Bytes b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
}

TEST(PictureMalformed, Refused) {
    const Bytes good = bmp24(false);
    ASSERT_TRUE(ui::decode_picture(good).has_value());
    const Bytes good_ico = ico_file({{1, 1, icon24(1, 0x0000FF, 0)}});
    ASSERT_TRUE(ui::decode_picture(good_ico).has_value());
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const std::size_t dib = 14;
    const std::vector<std::uint32_t> pal2 = {0x000000, 0xFFFFFF};
    const Case cases[] = {
        {"empty", {}},
        {"just the magic", {'B', 'M'}},
        {"not a picture", {'G', 'I', 'F', '8', '9', 'a', 0, 0}},
        {"file header only", Bytes(good.begin(), good.begin() + 14)},
        {"pixels one byte short", Bytes(good.begin(), good.end() - 1)},
        {"width 0", with_u32(good, dib + 4, 0)},
        {"negative width", with_u32(good, dib + 4, 0xFFFFFFFE)},
        {"height 0", with_u32(good, dib + 8, 0)},
        {"width past the cap", with_u32(good, dib + 4, 9000)},
        {"top-down height past the cap", with_u32(good, dib + 8, static_cast<std::uint32_t>(-9000))},
        {"most negative height", with_u32(good, dib + 8, 0x80000000)},
        {"8192 x 8192 in a tiny file",
         with_u32(with_u32(good, dib + 4, 8192), dib + 8, 8192)},
        {"unknown header size", with_u32(good, dib, 20)},
        {"2 bits", with_u32(good, dib + 14, 2)},
        {"run-length", bmp_file(info_header(40, 2, 2, 8, 1), Bytes(1024 + 16, 0))},
        {"bit fields with 24 bits", bmp_file(cat(info_header(40, 1, 1, 24, 3), Bytes(12, 0xFF)),
                                             {0, 0, 0, 0})},
        {"bit field masks missing", bmp_file(info_header(40, 1, 1, 16, 3), {})},
        {"palette larger than the depth",
         bmp_file(cat(info_header(40, 1, 1, 1, 0, 3), quad_palette({0, 0, 0})), {0, 0, 0, 0})},
        {"palette cut short", bmp_file(info_header(40, 1, 1, 8, 0, 200), {0, 0, 0, 0})},
        {"pixel offset past the end", with_u32(good, 10, 0x7FFFFFFF)},
        {"pixel offset inside the header", with_u32(good, 10, 20)},
        {"icon reserved word set", [&] { Bytes b = good_ico; b[0] = 1; return b; }()},
        {"cursor type", [&] { Bytes b = good_ico; b[2] = 2; return b; }()},
        {"icon without images", {0, 0, 1, 0, 0, 0}},
        {"icon directory cut", Bytes(good_ico.begin(), good_ico.begin() + 10)},
        {"icon image past the end", with_u32(good_ico, 6 + 12, 0xFFFFFFF0)},
        {"icon image size past the end", with_u32(good_ico, 6 + 8, 0x10000000)},
        {"icon directory longer than the file",
         Bytes(good_ico.begin(), good_ico.begin() + 6 + 16 + 40 + 2)},
        {"icon colour rows cut", [] {
             const Bytes image = icon24(2, 0x0000FF, 0);
             return ico_file({{2, 2, Bytes(image.begin(), image.begin() + 40 + 4)}});
         }()},
        {"complete file past the pixel cap",
         bmp_file(cat(info_header(40, 4097, 4096, 1, 0, 2), quad_palette(pal2)),
                  Bytes(std::size_t{516} * 4096, 0))},
        {"icon top-down", with_u32(good_ico, 6 + 16 + 8, static_cast<std::uint32_t>(-2))},
        {"icon height 1 (no rows)", with_u32(good_ico, 6 + 16 + 8, 1)},
    };
    for (const Case& c : cases) EXPECT_FALSE(ui::decode_picture(c.bytes).has_value()) << c.what;
}

// Every prefix and every single-byte change of valid files must decode safely (run under
// the sanitizers), and whatever decodes must be self-consistent and within the limits.
void expect_consistent(const Bytes& b) {
    const auto p = ui::decode_picture(b);
    if (!p) return;
    ASSERT_GT(p->width, 0);
    ASSERT_GT(p->height, 0);
    ASSERT_LE(p->width, ui::MAX_PICTURE_SIDE);
    ASSERT_LE(p->height, ui::MAX_PICTURE_SIDE);
    ASSERT_EQ(p->argb.size(), static_cast<std::size_t>(p->width) * p->height);
    // Nothing can decode to more pixels than the input could describe at one bit per pixel.
    ASSERT_LE(p->argb.size(), b.size() * 8);
}

TEST(PictureMalformed, PrefixesAndByteChangesAreSafe) {
    const std::vector<std::uint32_t> pal = {0x000000, 0xFFFFFF};
    const std::vector<Bytes> seeds = {
        bmp24(false),
        bmp_file(cat(info_header(40, 9, 3, 1, 0, 2), quad_palette(pal)), Bytes(12, 0xA5)),
        bmp_file(cat(info_header(40, 3, 2, 16, 3), W{}.u32(0xF800).u32(0x07E0).u32(0x1F).b),
                 Bytes(16, 0x5A)),
        ico_file({{1, 1, icon24(1, 0x0000FF, 0)}, {2, 2, icon24(2, 0x00FF00, 0x80)}}),
    };
    for (const Bytes& seed : seeds) {
        ASSERT_TRUE(ui::decode_picture(seed).has_value());
        for (std::size_t n = 0; n < seed.size(); ++n) {
            const Bytes prefix(seed.begin(), seed.begin() + n);
            expect_consistent(prefix);
            if (seed[0] == 'B') {
                EXPECT_FALSE(ui::decode_picture(prefix).has_value()) << n;
            }
        }
        for (std::size_t at = 0; at < seed.size(); ++at)
            for (std::uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                Bytes changed = seed;
                changed[at] = v;
                expect_consistent(changed);
            }
    }
}

}  // namespace
