// The one reader of a run of digits, under every number scanner of the
// family (command-line words, option values, filter literals, Start=, the
// generator's options). Each caller keeps its own syntax around the digits
// (blanks, signs, prefixes, whole-text or leading-part rules, clamping); the
// digits themselves are read here, by std::from_chars.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelmot {

struct DigitRun {
    std::uint64_t Value = 0;  // held at the maximum when the digits say more
    std::size_t Length = 0;   // digits read; 0 when the text starts with none
    bool Saturated = false;   // the digits said more than the maximum
};

// The decimal (base 10) or hexadecimal (base 16, either case) digits at the
// front of text; no blank, sign or prefix is taken.
DigitRun ScanDigitRun(std::string_view text, int base, std::uint64_t max = UINT64_MAX);

}  // namespace zelmot
