// BMP and ICO decoding into 0xAARRGGBB pixels, top row first. Every read is checked against
// the span, and every size is computed in 64 bits before it is trusted.
#include "window/picture.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace ui {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t BI_RGB = 0, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

bool get16(Bytes b, std::uint64_t at, std::uint32_t& v) {
    if (at > b.size() || b.size() - at < 2) return false;
    v = b[at] | (std::uint32_t{b[at + 1]} << 8);
    return true;
}

bool get32(Bytes b, std::uint64_t at, std::uint32_t& v) {
    if (at > b.size() || b.size() - at < 4) return false;
    v = b[at] | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
        (std::uint32_t{b[at + 3]} << 24);
    return true;
}

constexpr std::uint32_t argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// A channel of a bit-field pixel, scaled to 0..255. A zero mask has no channel.
std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask, std::uint32_t absent) {
    if (mask == 0) return absent;
    const int shift = std::countr_zero(mask);
    const std::uint64_t top = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((value * 255 + top / 2) / top);
}

// The parsed device-independent bitmap header, with its palette and masks.
struct Dib {
    std::int64_t width = 0, height = 0;  // height: rows of the image, always positive
    bool top_down = false;
    std::uint32_t bits = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha
    bool bit_fields = false;
    std::vector<std::uint32_t> palette;
    std::uint64_t header = 0;  // size of the header proper
    std::uint64_t end = 0;     // offset just past header, masks and palette
};

// An icon's header counts its rows twice: the colour rows, then the mask rows.
std::optional<Dib> parse_dib(Bytes b, bool in_icon) {
    Dib d;
    std::uint32_t size = 0;
    if (!get32(b, 0, size)) return std::nullopt;
    std::int64_t stored_height = 0;
    std::uint32_t colours_used = 0;
    bool core = false;
    if (size == 12) {
        core = true;
        std::uint32_t w = 0, h = 0, bits = 0;
        if (!get16(b, 4, w) || !get16(b, 6, h) || !get16(b, 10, bits)) return std::nullopt;
        d.width = w;
        stored_height = h;
        d.bits = bits;
    } else if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124) {
        std::uint32_t w = 0, h = 0, bits = 0;
        if (!get32(b, 4, w) || !get32(b, 8, h) || !get16(b, 14, bits) ||
            !get32(b, 16, d.compression) || !get32(b, 32, colours_used))
            return std::nullopt;
        d.width = static_cast<std::int32_t>(w);
        stored_height = static_cast<std::int32_t>(h);
        d.bits = bits;
    } else {
        return std::nullopt;
    }
    d.header = d.end = size;

    if (stored_height < 0) {
        if (in_icon) return std::nullopt;
        d.top_down = true;
        stored_height = -stored_height;
    }
    d.height = in_icon ? stored_height / 2 : stored_height;
    if (d.width <= 0 || d.height <= 0 || d.width > MAX_PICTURE_SIDE ||
        d.height > MAX_PICTURE_SIDE || d.width * d.height > MAX_PICTURE_PIXELS)
        return std::nullopt;

    switch (d.compression) {
    case BI_RGB:
        if (d.bits != 1 && d.bits != 4 && d.bits != 8 && d.bits != 16 && d.bits != 24 &&
            d.bits != 32)
            return std::nullopt;
        if (d.bits == 16) {  // 5-5-5
            d.masks[0] = 0x7C00, d.masks[1] = 0x03E0, d.masks[2] = 0x001F;
            d.bit_fields = true;
        }
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: {
        if (d.bits != 16 && d.bits != 32) return std::nullopt;
        d.bit_fields = true;
        // The masks sit at offset 40 either way: after a 40-byte header, inside a later one
        // (which also holds the alpha mask from 56 bytes on).
        const int count = size == 40 ? (d.compression == BI_ALPHABITFIELDS ? 4 : 3)
                                     : (size >= 56 ? 4 : 3);
        for (int i = 0; i < count; ++i)
            if (!get32(b, 40 + 4 * i, d.masks[i])) return std::nullopt;
        if (size == 40) d.end += 4 * count;
        break;
    }
    default:
        return std::nullopt;  // run-length, JPEG and PNG payloads are not decoded
    }
    if (core && d.compression != BI_RGB) return std::nullopt;

    // The palette: 2^bits entries unless the header names fewer.
    std::uint64_t entries = 0;
    if (d.bits <= 8) {
        const std::uint32_t full = 1u << d.bits;
        if (colours_used > full) return std::nullopt;
        entries = colours_used ? colours_used : full;
    } else {
        entries = colours_used;  // an optional palette that only shifts the pixels
        if (entries > 256) return std::nullopt;
    }
    const std::uint64_t entry_size = core ? 3 : 4;
    if (d.end + entries * entry_size > b.size()) return std::nullopt;
    if (d.bits <= 8) {
        d.palette.reserve(static_cast<std::size_t>(entries));
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint64_t at = d.end + i * entry_size;
            d.palette.push_back(argb(0xFF, b[at + 2], b[at + 1], b[at]));
        }
    }
    d.end += entries * entry_size;
    return d;
}

std::uint64_t stride_of(std::int64_t width, std::uint32_t bits) {
    return (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
}

// Fills `out` from the colour rows at `pixels`; `has_alpha_channel` tells whether the alpha
// bytes meant anything. False when the rows do not fit.
bool decode_rows(const Dib& d, Bytes pixels, tk::Pixels& out, bool& has_alpha_channel) {
    const std::uint64_t stride = stride_of(d.width, d.bits);
    if (stride * static_cast<std::uint64_t>(d.height) > pixels.size()) return false;
    out.width = static_cast<std::int32_t>(d.width);
    out.height = static_cast<std::int32_t>(d.height);
    out.argb.assign(static_cast<std::size_t>(d.width * d.height), 0);
    has_alpha_channel = d.bits == 32 && (!d.bit_fields || d.masks[3] != 0);
    bool any_alpha = false;
    for (std::int64_t row = 0; row < d.height; ++row) {
        const std::uint8_t* src = pixels.data() + row * stride;
        const std::int64_t y = d.top_down ? row : d.height - 1 - row;
        std::uint32_t* dst = out.argb.data() + y * d.width;
        for (std::int64_t x = 0; x < d.width; ++x) {
            std::uint32_t px = 0;
            switch (d.bits) {
            case 1:
            case 4:
            case 8: {
                const std::uint64_t bit = static_cast<std::uint64_t>(x) * d.bits;
                const std::uint32_t byte = src[bit / 8];
                const std::uint32_t index =
                    (byte >> (8 - d.bits - bit % 8)) & ((1u << d.bits) - 1);
                // An index past the palette shows black, as the system does.
                px = index < d.palette.size() ? d.palette[index] : argb(0xFF, 0, 0, 0);
                break;
            }
            case 16: {
                const std::uint32_t v = src[2 * x] | (std::uint32_t{src[2 * x + 1]} << 8);
                px = argb(channel(v, d.masks[3], 0xFF), channel(v, d.masks[0], 0),
                          channel(v, d.masks[1], 0), channel(v, d.masks[2], 0));
                break;
            }
            case 24:
                px = argb(0xFF, src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            case 32: {
                const std::uint8_t* p = src + 4 * x;
                if (d.bit_fields) {
                    const std::uint32_t v = p[0] | (std::uint32_t{p[1]} << 8) |
                                            (std::uint32_t{p[2]} << 16) |
                                            (std::uint32_t{p[3]} << 24);
                    px = argb(channel(v, d.masks[3], 0xFF), channel(v, d.masks[0], 0),
                              channel(v, d.masks[1], 0), channel(v, d.masks[2], 0));
                } else {
                    px = argb(p[3], p[2], p[1], p[0]);
                }
                break;
            }
            default:
                return false;
            }
            if (has_alpha_channel && (px >> 24) != 0) any_alpha = true;
            dst[x] = px;
        }
    }
    // A 32-bit image whose alpha is zero throughout carries no alpha at all: make it opaque.
    if (has_alpha_channel && !any_alpha)
        for (auto& px : out.argb) px |= 0xFF000000;
    has_alpha_channel = has_alpha_channel && any_alpha;
    return true;
}

std::optional<tk::Pixels> decode_bmp(Bytes b) {
    std::uint32_t offset = 0;
    if (!get32(b, 10, offset)) return std::nullopt;
    auto dib = parse_dib(b.subspan(14), false);
    if (!dib) return std::nullopt;
    std::uint64_t pixels_at = offset;
    if (pixels_at == 0) pixels_at = 14 + dib->end;  // some writers leave the offset out
    if (pixels_at < 14 + dib->header || pixels_at > b.size())
        return std::nullopt;
    tk::Pixels out;
    bool alpha = false;
    if (!decode_rows(*dib, b.subspan(static_cast<std::size_t>(pixels_at)), out, alpha))
        return std::nullopt;
    return out;
}

std::optional<tk::Pixels> decode_icon_image(Bytes image) {
    static constexpr std::uint8_t png[] = {0x89, 'P', 'N', 'G'};
    if (image.size() >= 4 && std::equal(png, png + 4, image.begin())) return std::nullopt;
    auto dib = parse_dib(image, true);
    if (!dib) return std::nullopt;
    tk::Pixels out;
    bool alpha = false;
    const Bytes colour = image.subspan(static_cast<std::size_t>(dib->end));
    if (!decode_rows(*dib, colour, out, alpha)) return std::nullopt;
    out.is_icon = true;
    if (alpha) return out;  // the alpha channel wins over the mask
    // The 1-bit mask follows the colour rows, bottom-up; a set bit is transparent.
    const std::uint64_t colour_size = stride_of(dib->width, dib->bits) * dib->height;
    const std::uint64_t mask_stride = stride_of(dib->width, 1);
    if (colour_size + mask_stride * dib->height > colour.size()) return out;  // no mask: opaque
    const std::uint8_t* mask = colour.data() + colour_size;
    for (std::int64_t row = 0; row < dib->height; ++row) {
        const std::uint8_t* src = mask + row * mask_stride;
        std::uint32_t* dst = out.argb.data() + (dib->height - 1 - row) * dib->width;
        for (std::int64_t x = 0; x < dib->width; ++x)
            if ((src[x / 8] >> (7 - x % 8)) & 1) dst[x] &= 0x00FFFFFF;
    }
    return out;
}

std::optional<tk::Pixels> decode_ico(Bytes b) {
    std::uint32_t reserved = 0, type = 0, count = 0;
    if (!get16(b, 0, reserved) || !get16(b, 2, type) || !get16(b, 4, count)) return std::nullopt;
    if (reserved != 0 || type != 1 || count == 0) return std::nullopt;
    if (6 + 16 * std::uint64_t{count} > b.size()) return std::nullopt;

    struct Entry {
        std::uint32_t area, bits, size, offset;
    };
    std::vector<Entry> entries;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = 6 + 16 * std::uint64_t{i};
        const std::uint32_t w = b[at] ? b[at] : 256, h = b[at + 1] ? b[at + 1] : 256;
        Entry e{w * h, 0, 0, 0};
        get16(b, at + 6, e.bits);
        get32(b, at + 8, e.size);
        get32(b, at + 12, e.offset);
        if (std::uint64_t{e.offset} + e.size > b.size() || e.size < 4) continue;
        entries.push_back(e);
    }
    // The largest first, deeper colour breaking ties; a broken image gives way to the next.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& l, const Entry& r) {
        return l.area != r.area ? l.area > r.area : l.bits > r.bits;
    });
    for (const Entry& e : entries)
        if (auto pixels = decode_icon_image(b.subspan(e.offset, e.size))) return pixels;
    return std::nullopt;
}

}  // namespace

std::optional<tk::Pixels> decode_picture(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decode_bmp(bytes);
    if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0)
        return decode_ico(bytes);
    return std::nullopt;
}

}  // namespace ui
