// The baud rates of a device file's MaxTsdr keywords and their link to the
// capture's baud indexes.
#pragma once

#include <cstdint>
#include <optional>

#include "gsd/gsd_device.h"

namespace zelmot {

// Bit/s of a device file baud.
std::uint32_t GsdBaudBitRate(GsdBaud baud);

// The device file baud of a capture baud index (0 9.6k ... 8 12M), or none.
std::optional<GsdBaud> GsdBaudOfCaptureIndex(std::uint16_t baudIndex);

// The device's MaxTsdr in bit times at a capture baud index, or none (no
// such index, or the file names none for that baud).
std::optional<std::uint16_t> GsdMaxTsdr(const GsdDevice& device, std::uint16_t baudIndex);

}  // namespace zelmot
