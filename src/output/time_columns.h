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

// A value under one second, in a layout with a zero text (ZeroPrefixLength):
// that text, then the fractions.
void WriteFraction(TextOut& out, std::uint32_t ns, const TimeLayout& layout);
// Any value in any layout.
void WriteWholeTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout);

// One time value in a time format's layout. Delays and gaps are mostly
// under a second: those take the short way, without the larger units.
inline void WriteTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout) {
    constexpr std::int64_t kOneSecond = 1'000'000'000;
    if (layout.ZeroPrefixLength != 0 && valueNs >= 0 && valueNs < kOneSecond)
        return WriteFraction(out, static_cast<std::uint32_t>(valueNs), layout);
    WriteWholeTime(out, valueNs, layout);
}

// One bar of exactly width characters.
// reciprocal: GraphReciprocalOf(fullScaleNs), or 0 to divide.
void WriteGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs,
                std::uint64_t reciprocal = 0);

}  // namespace zelmot
