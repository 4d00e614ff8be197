// One time value in the unit layout of its TimeFormat text, such as
// 'hr:mn:sc.ms,us,ns': the six units are tried once each in fixed order at a
// cursor walking the text; the first unit written is blank-filled, later ones
// zero-filled. A negative value is written as its magnitude with a '-'
// directly before the first digit of the first unit written.
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

// A unit after the first: zero-filled to its width of 2 or 3; its value is
// below 1000 (hours, the only unreduced unit, can only come first).
void PutLaterUnit(TextOut& out, std::uint64_t value, unsigned width) {
    char* p = Reserve(out, 3);
    unsigned v = static_cast<unsigned>(value);
    if (width == 3) *p++ = static_cast<char>('0' + v / 100 % 10);
    p[0] = static_cast<char>('0' + v / 10 % 10);
    p[1] = static_cast<char>('0' + v % 10);
    out.Used += width;
}


// The second character is looked at only when the first is not the end.
bool MatchesUnit(const char* cursor, const char* name) {
    return cursor[0] != '\0' && ascii::ToLower(cursor[0]) == name[0] && ascii::ToLower(cursor[1]) == name[1];
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

// Consumes the separator after a unit's name; '\0' means none is written.
char TakeSeparator(const char*& cursor, bool separatorAlways) {
    char c = *cursor;
    if (c == '\0') return ' ';
    if (!separatorAlways && ascii::IsAlpha(c)) return '\0';
    ++cursor;
    return c;
}

}  // namespace

void WriteTime(TextOut& out, std::int64_t valueNs, const char* format) {
    const bool negative = valueNs < 0;
    const std::uint64_t magnitude =
        negative ? 0u - static_cast<std::uint64_t>(valueNs) : static_cast<std::uint64_t>(valueNs);
    std::uint64_t values[kUnitCount];
    UnitValues(magnitude, values);
    const char* cursor = format;
    bool first = true;
    for (std::size_t i = 0; i < kUnitCount; ++i) {
        const TimeUnit& unit = kTimeUnits[i];
        if (!MatchesUnit(cursor, unit.Name)) continue;
        cursor += 2;
        if (first) {
            PutFirstUnit(out, values[i], unit.Width, negative);
        } else {
            PutLaterUnit(out, values[i], unit.Width);
        }
        char separator = TakeSeparator(cursor, unit.SeparatorAlways);
        if (separator != '\0') PutChar(out, separator);
        first = false;
    }
}

}  // namespace zelmot
