// Decoding the picture fields of the settings blocks: Windows bitmaps (.bmp) and icons (.ico).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "toolkit/toolkit.h"

namespace ui {

// Limits that keep a hostile header from asking for gigabytes.
inline constexpr std::int32_t MAX_PICTURE_SIDE = 8192;
inline constexpr std::int64_t MAX_PICTURE_PIXELS = std::int64_t{16} * 1024 * 1024;

// A BMP file (core, info, V4 or V5 header; 1, 4, 8, 16, 24 or 32 bits; uncompressed or bit
// fields; bottom-up or top-down) or an ICO file (its largest image that holds a bitmap with
// its mask; PNG images inside an icon are not decoded). Anything else, anything truncated or
// inconsistent, and anything beyond the limits: nullopt. Never reads outside `bytes`.
std::optional<tk::Pixels> decode_picture(std::span<const std::uint8_t> bytes);

}  // namespace ui
