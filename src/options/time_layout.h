// The unit layout of a time format word such as "hr:mn:sc.ms,us,ns",
// worked out once when the word is read: which of the six units the line
// shows, in which order, with which character after each. The walk: the
// units hr, mn, sc, ms, us, ns are tried once each, in that order, at a
// cursor walking the text (either case); a unit found is consumed with the
// character after it, its separator: a blank at the text's end, nothing
// before a letter unless the unit always takes one (hr and mn do).
#pragma once

#include <cstdint>
#include <string_view>

namespace zelmot {

enum class LayoutUnit : std::uint8_t { Hours, Minutes, Seconds, Milli, Micro, Nano };
constexpr std::size_t kTimeUnitCount = 6;

struct TimeLayoutStep {
    LayoutUnit Unit = LayoutUnit::Hours;
    std::uint8_t Width = 0;  // its digits when it is not the first unit (2 or 3)
    char Separator = '\0';   // the character written after it, '\0' for none
};

struct TimeLayout {
    std::uint8_t Count = 0;  // units shown; 0: the column writes nothing
    TimeLayoutStep Steps[kTimeUnitCount];
};

TimeLayout TimeLayoutOf(std::string_view text);

}  // namespace zelmot
