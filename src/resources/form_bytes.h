// The form data of MainWindow, embedded verbatim from resources/main_window.form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace resources {
extern const std::uint8_t main_window_form_bytes[];
extern const std::size_t main_window_form_size;
inline std::span<const std::uint8_t> main_window_form() {
    return {main_window_form_bytes, main_window_form_size};
}
inline constexpr std::uint32_t MAIN_WINDOW_ID = 0x52010001;
inline constexpr std::uint32_t WINDOW_UNIT_ID = 0x06010000;
}  // namespace resources
