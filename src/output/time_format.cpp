// One time value in the unit layout of its time format (worked out when
// the option file was read): the first unit written is blank-filled, later
// ones zero-filled. A negative value is written as its magnitude with a '-'
// directly before the first digit of the first unit written.
#include <array>
#include <cassert>
#include <cstring>

#include "output/time_columns.h"

namespace zelmot {
namespace {

// Whole hours (not reduced), then minutes, seconds, ms, us and ns of a
// magnitude, in LayoutUnit's order: the whole seconds and the fraction are
// taken apart first, and each is then split on its own (floor division
// nests, so the hours are the seconds divided by 3,600).
void UnitValues(std::uint64_t magnitude, std::uint64_t (&values)[kTimeUnitCount]) {
    const std::uint64_t seconds = magnitude / 1'000'000'000;
    const auto fraction = static_cast<std::uint32_t>(magnitude % 1'000'000'000);
    values[5] = fraction % 1000;
    values[4] = fraction / 1000 % 1000;
    values[3] = fraction / 1'000'000;
    values[2] = seconds % 60;
    values[1] = seconds / 60 % 60;
    values[0] = seconds / 3600;
}

// Every value below 1000 zero-filled to three digits and a spare byte, one
// after the other, so that a unit is one four-byte copy.
constexpr auto kThreeDigits = [] {
    std::array<char, 4 * 1000> digits{};
    for (unsigned v = 0; v < 1000; ++v) {
        digits[4 * v] = static_cast<char>('0' + v / 100);
        digits[4 * v + 1] = static_cast<char>('0' + v / 10 % 10);
        digits[4 * v + 2] = static_cast<char>('0' + v % 10);
    }
    return digits;
}();

// A unit after the first, at p: zero-filled to its width of 2 or 3 (the
// last two of the three digits); its value is below 1000, and below 100
// where the width is 2 (hours, the only unreduced unit, can only come
// first), so the four bytes copied lie in the table. Writes up to two bytes
// past the unit, which the next pieces overwrite.
char* PutLaterUnit(char* p, std::uint64_t value, unsigned width) {
    assert(value < (width == 3 ? 1000u : 100u));
    std::memcpy(p, kThreeDigits.data() + 4 * value + 3 - width, 4);
    return p + width;
}

unsigned DigitCount(std::uint64_t value) {
    unsigned count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// The first unit: blank-filled to width, the sign taking a blank's place.
void PutFirstUnit(TextOut& out, std::uint64_t value, unsigned width, bool negative) {
    if (!negative) {
        PutUnsigned(out, value, width, Pad::Blank);
        return;
    }
    unsigned length = DigitCount(value) + 1;
    if (width > length) PutRepeated(out, ' ', width - length);
    PutChar(out, '-');
    PutUnsigned(out, value);
}

// A unit's separator, if it has one. Writes the byte in any case (a '\0'
// that the next piece overwrites or that lies past the text).
[[gnu::always_inline]] inline char* PutSeparator(char* p, char separator) {
    *p = separator;
    return p + (separator != '\0');
}

// A unit after the first, if the layout shows it, with its separator.
[[gnu::always_inline]] inline char* PutLater(char* p, const TimeLayout& layout, LayoutUnit unit,
                                             std::uint64_t value) {
    const auto u = static_cast<std::size_t>(unit);
    if (!layout.Later[u]) return p;
    return PutSeparator(PutLaterUnit(p, value, kTimeUnitWidths[u]), layout.Separator[u]);
}

// The first unit's separator, then the units after it with theirs: three
// characters and one separator each at most, and the spare byte of the last
// unit's copy.
constexpr std::size_t kLaterUnitsText = 1 + (kTimeUnitCount - 1) * 4 + 1;

}  // namespace

void WriteFraction(TextOut& out, std::uint32_t ns, const TimeLayout& layout) {
    char* const start = Reserve(out, sizeof layout.ZeroPrefix + kLaterUnitsText);
    std::memcpy(start, layout.ZeroPrefix, sizeof layout.ZeroPrefix);
    char* p = start + layout.ZeroPrefixLength;
    p = PutLater(p, layout, LayoutUnit::Milli, ns / 1'000'000);
    p = PutLater(p, layout, LayoutUnit::Micro, ns / 1000 % 1000);
    p = PutLater(p, layout, LayoutUnit::Nano, ns % 1000);
    out.Used += static_cast<std::size_t>(p - start);
}

void WriteWholeTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout) {
    if (layout.Count == 0) return;
    const bool negative = valueNs < 0;
    const std::uint64_t magnitude =
        negative ? 0u - static_cast<std::uint64_t>(valueNs) : static_cast<std::uint64_t>(valueNs);
    std::uint64_t values[kTimeUnitCount];
    UnitValues(magnitude, values);
    const auto first = static_cast<std::size_t>(layout.First);
    PutFirstUnit(out, values[first], kTimeUnitWidths[first], negative);
    // The rest has a bounded length: one reservation, written in place.
    char* const start = Reserve(out, kLaterUnitsText);
    char* p = PutSeparator(start, layout.Separator[first]);
    p = PutLater(p, layout, LayoutUnit::Minutes, values[1]);
    p = PutLater(p, layout, LayoutUnit::Seconds, values[2]);
    p = PutLater(p, layout, LayoutUnit::Milli, values[3]);
    p = PutLater(p, layout, LayoutUnit::Micro, values[4]);
    p = PutLater(p, layout, LayoutUnit::Nano, values[5]);
    out.Used += static_cast<std::size_t>(p - start);
}

}  // namespace zelmot
