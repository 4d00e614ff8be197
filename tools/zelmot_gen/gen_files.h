// Capture files on disk: the 40-byte header, the per-minute file names and
// their sequence over the hour and midnight, and writing one file in two
// large blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/outcome.h"
#include "gen_options.h"

namespace zelmot {

constexpr std::size_t kCaptureHeaderSize = 40;

using CaptureHeaderBytes = std::array<std::uint8_t, kCaptureHeaderSize>;

// Bytes 0-1 zero, BaudIndex at 2, DeviceAddress at 4, DeviceName at 8.
CaptureHeaderBytes MakeCaptureHeader(const GenOptions& options);

// "<stem>HHMM.Zelmot"
std::string CaptureFileName(const std::string& stem, unsigned hour, unsigned minute);

// The next minute: 59 rolls over to 0 and moves the hour on, 23 to 0.
void NextMinute(unsigned& hour, unsigned& minute);

Outcome WriteCaptureFile(const std::string& name, const CaptureHeaderBytes& header,
                         const std::uint8_t* records, std::size_t size);

}  // namespace zelmot
