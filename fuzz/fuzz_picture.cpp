// Fuzzes the BMP and ICO decoder: any bytes are refused, or give a picture within the limits
// whose every pixel is read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::keep(fuzz::decode_and_check(std::span<const std::uint8_t>(data, size)));
    return 0;
}
