// The time and graph columns of a line: absolute time, delta, gap and gap
// after in the unit layout of their TimeFormat, and the gap bar graphs.
#pragma once

#include <cstdint>

#include "common/text_out.h"
#include "options/display_options.h"
#include "capture/frame_timing.h"

namespace zelmot {

// Writes all present time and graph columns of a line.
void WriteTimeColumns(TextOut& out, const DisplayOptions& options, const FrameTiming& now);

// One time value in a time format's layout.
void WriteTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout);

// One bar of exactly width characters.
void WriteGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs);

}  // namespace zelmot
