// Capture files on disk: the 40-byte header, the per-minute file names and
// their sequence over the hour and midnight, and writing one file in two
// large blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "capture/capture_format.h"
#include "common/outcome.h"
#include "gen_options.h"

namespace zelmot {

using CaptureHeaderBytes = CaptureHeader;

// Bytes 0-1 zero, BaudIndex at 2, DeviceAddress at 4, DeviceName at 8.
CaptureHeaderBytes MakeCaptureHeader(const GenOptions& options);

Outcome WriteCaptureFile(const std::string& name, const CaptureHeaderBytes& header,
                         const std::uint8_t* records, std::size_t size);

}  // namespace zelmot
