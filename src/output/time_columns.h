// The time and graph columns of a line: absolute time, delta, gap and gap
// after in the unit layout of their TimeFormat, and the gap bar graphs.
#pragma once

#include <cstdint>

#include "common/text_out.h"
#include "options/display_options.h"
#include "capture/frame_timing.h"

namespace zelmot {

// The text of a time column's whole seconds as last written (its units
// down to the seconds, with their separators), kept by whoever writes the
// lines: the next value in the same second is written as cheaply as one
// under a second. Only layouts with a zero text keep one. The text is that
// of Seconds in the column's layout: each column of a run keeps its own.
struct KeptSeconds {
    std::int64_t Seconds = -1;  // none kept
    std::uint8_t Length = 0;
    char Text[16] = {};
};

// One per time column.
struct KeptTimeTexts {
    KeptSeconds Abs, Delta, Gap, GapAfter;
};

// Writes all present time and graph columns of a line.
void WriteTimeColumns(TextOut& out, const DisplayOptions& options, const FrameTiming& now, KeptTimeTexts& kept);

// One time value in a time format's layout (any value, any layout), from
// the text of its whole seconds where kept holds it.
void WriteTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout, KeptSeconds& kept);

// One bar of exactly width characters.
// reciprocal: GraphReciprocalOf(fullScaleNs), or 0 to divide.
void WriteGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs,
                std::uint64_t reciprocal = 0);

}  // namespace zelmot
