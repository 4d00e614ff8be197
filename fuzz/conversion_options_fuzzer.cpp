// Fuzz target: the whole conversion with both the option file and the
// capture bytes (one or two per-minute files) taken from the input.
#include <cstddef>
#include <cstdint>

#include "conversion_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelmot::fuzz::RunConversionInput(zelmot::fuzz::DecodeConversionInput(data, size, true));
    return 0;
}
