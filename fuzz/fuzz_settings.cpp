// Fuzzes the settings reader of one kind, chosen when this file is compiled (SETTINGS_KIND):
// any block either fails or gives settings that keep the reader's promises, and every picture
// in them goes through the decoder.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_common.h"

#ifndef SETTINGS_KIND
#error "SETTINGS_KIND names the settings record, e.g. ui::ButtonSettings"
#endif

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::require_gbk_literals();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::keep(fuzz::read_and_check<SETTINGS_KIND>(std::span<const std::uint8_t>(data, size)));
    return 0;
}
