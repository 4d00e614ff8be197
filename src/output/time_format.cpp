// One time value in the unit layout of its TimeFormat text, such as
// 'hr:mn:sc.ms,us,ns': the six units are tried once each in fixed order at a
// cursor walking the text; the first unit written is blank-filled, later ones
// zero-filled. A negative value is written as its magnitude with a '-'
// directly before the first digit of the first unit written.
#include <array>
#include <cassert>
#include <cstring>

#include "common/ascii.h"
#include "output/time_columns.h"

namespace zelmot {
namespace {

struct TimeUnit {
    char Name[3];
    std::uint8_t Width;       // digits of a unit after the first
    bool SeparatorAlways;     // the next character is its separator, even a letter
};

// In the fixed order of the walk; UnitValues fills its values in this order.
constexpr TimeUnit kTimeUnits[] = {
    {"hr", 2, true}, {"mn", 2, true}, {"sc", 2, false},
    {"ms", 3, false}, {"us", 3, false}, {"ns", 3, false},
};
constexpr std::size_t kUnitCount = sizeof kTimeUnits / sizeof kTimeUnits[0];
static_assert([] {
    for (const TimeUnit& unit : kTimeUnits)
        if (!ascii::IsLower(unit.Name[0]) || !ascii::IsLower(unit.Name[1])) return false;
    return true;
}(), "MatchesUnit needs lower-case unit names");

// Whole hours (not reduced), then minutes, seconds, ms, us and ns of a
// magnitude, by constant divisions (floor division nests, so the hours are
// the magnitude divided by 3,600 x 10^9).
void UnitValues(std::uint64_t magnitude, std::uint64_t (&values)[kUnitCount]) {
    values[5] = magnitude % 1000;
    magnitude /= 1000;
    values[4] = magnitude % 1000;
    magnitude /= 1000;
    values[3] = magnitude % 1000;
    magnitude /= 1000;
    values[2] = magnitude % 60;
    magnitude /= 60;
    values[1] = magnitude % 60;
    values[0] = magnitude / 60;
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

// The second character is looked at only when the first is not the end.
// The names are lower-case letters, so setting bit 5 (0x20) of a character
// makes it equal to one exactly when it is that letter in either case.
bool MatchesUnit(const char* cursor, const char* name) {
    return cursor[0] != '\0' && (cursor[0] | 0x20) == name[0] && (cursor[1] | 0x20) == name[1];
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

// Consumes the separator after a unit's name and writes it at p: a blank at
// the format's end, nothing before a letter unless the unit always takes one.
char* PutSeparator(char* p, const char*& cursor, bool separatorAlways) {
    char c = *cursor;
    if (c == '\0') {
        *p++ = ' ';
    } else if (separatorAlways || !ascii::IsAlpha(c)) {
        ++cursor;
        *p++ = c;
    }
    return p;
}

// The units after the first with their separators: three characters and
// one separator each at most, and the spare bytes of the last unit's copy.
constexpr std::size_t kLaterUnitsText = (kUnitCount - 1) * 4 + 3;

}  // namespace

void WriteTime(TextOut& out, std::int64_t valueNs, const char* format) {
    const bool negative = valueNs < 0;
    const std::uint64_t magnitude =
        negative ? 0u - static_cast<std::uint64_t>(valueNs) : static_cast<std::uint64_t>(valueNs);
    std::uint64_t values[kUnitCount];
    UnitValues(magnitude, values);
    const char* cursor = format;
    std::size_t i = 0;
    while (i < kUnitCount && !MatchesUnit(cursor, kTimeUnits[i].Name)) ++i;
    if (i == kUnitCount) return;
    cursor += 2;
    PutFirstUnit(out, values[i], kTimeUnits[i].Width, negative);
    // The rest has a bounded length: one reservation, written in place.
    char* const start = Reserve(out, kLaterUnitsText);
    char* p = PutSeparator(start, cursor, kTimeUnits[i].SeparatorAlways);
    for (++i; i < kUnitCount; ++i) {
        const TimeUnit& unit = kTimeUnits[i];
        if (!MatchesUnit(cursor, unit.Name)) continue;
        cursor += 2;
        p = PutLaterUnit(p, values[i], unit.Width);
        p = PutSeparator(p, cursor, unit.SeparatorAlways);
    }
    out.Used += static_cast<std::size_t>(p - start);
}

}  // namespace zelmot
