// The unit layout of a time format word such as "hr:mn:sc.ms,us,ns",
// worked out once when the word is read: which of the six units the line
// shows, which comes first, and the character after each. The walk: the
// units hr, mn, sc, ms, us, ns are tried once each, in that order, at a
// cursor walking the text (either case); a unit found is consumed with the
// character after it, its separator: a blank at the text's end, nothing
// before a letter unless the unit always takes one (hr and mn do).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelmot {

enum class LayoutUnit : std::uint8_t { Hours, Minutes, Seconds, Milli, Micro, Nano };
constexpr std::size_t kTimeUnitCount = 6;
// Digits of each unit when it is not the first (the first is blank-filled
// to this width and may be wider).
constexpr std::uint8_t kTimeUnitWidths[kTimeUnitCount] = {2, 2, 2, 3, 3, 3};

struct TimeLayout {
    std::uint8_t Count = 0;  // units shown; 0: the column writes nothing
    LayoutUnit First = LayoutUnit::Hours;
    bool Later[kTimeUnitCount] = {};     // shown, and not the first
    char Separator[kTimeUnitCount] = {};  // after each unit shown; '\0' for none
    // When the first unit is hours, minutes or seconds: the text of the
    // units down to the seconds for a value of zero (" 0:00:00." for the
    // word above), which is that of every value under one second; its
    // length is 0 for any other layout.
    char ZeroPrefix[16] = {};
    std::uint8_t ZeroPrefixLength = 0;
    // With a zero text: the length of the text after it, the fraction's
    // units (ms, us, ns) with their separators, the same for every value.
    std::uint8_t FractionLength = 0;
};

TimeLayout TimeLayoutOf(std::string_view text);

}  // namespace zelmot
