// One text bar graph of a time value against its full scale: dots for the
// share of the width, "|" marking the end, "*" at both ends for a value above
// full scale. Always exactly width characters, never a division by zero.
#include "output/time_columns.h"

#include <array>
#include <cassert>
#include <cstring>

namespace zelmot {
namespace {

__extension__ typedef __int128 Wide;

void PutOverflowMark(TextOut& out, std::uint8_t width) {
    PutChar(out, '*');
    if (width < 2) return;
    PutRepeated(out, ' ', width - 2u);
    PutChar(out, '*');
}

// product / fullScale for a product below 2^63, by the reciprocal
// R = floor((2^64 - 1) / F): the high half of product x R falls short of
// the quotient by less than product / 2^64 + product / (F x 2^64) < 1, so
// it is the quotient or one less, which the remainder tells.
std::uint64_t DivideByReciprocal(std::uint64_t product, std::uint64_t fullScale, std::uint64_t reciprocal) {
    __extension__ typedef unsigned __int128 WideUnsigned;
    std::uint64_t quotient = static_cast<std::uint64_t>((WideUnsigned{product} * reciprocal) >> 64);
    if (product - quotient * fullScale >= fullScale) ++quotient;
    return quotient;
}

// 0 <= value <= fullScale here, so the count is at most width.
std::uint8_t DotCount(std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs, std::uint64_t reciprocal) {
    if (valueNs <= 0 || fullScaleNs <= 0) return 0;
    std::int64_t product;
    if (!__builtin_mul_overflow(valueNs, std::int64_t{width}, &product)) {  // the usual case
        if (reciprocal != 0)
            return static_cast<std::uint8_t>(DivideByReciprocal(static_cast<std::uint64_t>(product),
                                                                static_cast<std::uint64_t>(fullScaleNs), reciprocal));
        return static_cast<std::uint8_t>(product / fullScaleNs);
    }
    return static_cast<std::uint8_t>(Wide{valueNs} * width / fullScaleNs);
}

// Bars up to this width (the option allows 100) are written by fixed-size
// copies of these.
constexpr std::size_t kShortBar = 128;
constexpr auto kDots = [] {
    std::array<char, kShortBar> dots{};
    dots.fill('.');
    return dots;
}();
constexpr auto kBlanks = [] {
    std::array<char, kShortBar> blanks{};
    blanks.fill(' ');
    return blanks;
}();

}  // namespace

void WriteGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs,
                std::uint64_t reciprocal) {
    if (width == 0) return;
    if (valueNs > fullScaleNs) {
        PutOverflowMark(out, width);
        return;
    }
    assert(reciprocal == 0 || reciprocal == GraphReciprocalOf(fullScaleNs));
    std::uint8_t dots = DotCount(width, valueNs, fullScaleNs, reciprocal);
    if (width <= kShortBar) {
        // The usual bar: a run of dots and a run of blanks from two fixed
        // copies, the second starting where the dots end, then the mark;
        // copies of a quarter of the table where the bar fits them.
        char* p = Reserve(out, 2 * kShortBar);
        if (width <= kShortBar / 4) {
            std::memcpy(p, kDots.data(), kShortBar / 4);
            std::memcpy(p + dots, kBlanks.data(), kShortBar / 4);
        } else {
            std::memcpy(p, kDots.data(), kShortBar);
            std::memcpy(p + dots, kBlanks.data(), kShortBar);
        }
        if (dots < width) p[width - 1] = '|';
        out.Used += width;
        return;
    }
    PutRepeated(out, '.', dots);
    if (dots == width) return;
    PutRepeated(out, ' ', width - dots - 1u);
    PutChar(out, '|');
}

}  // namespace zelmot
