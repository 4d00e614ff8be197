// One time value in the unit layout of its TimeFormat text, such as
// 'hr:mn:sc.ms,us,ns': the six units are tried once each in fixed order at a
// cursor walking the text; the first unit written is blank-filled, later ones
// zero-filled. A negative value is written as its magnitude with a '-'
// directly before the first digit of the first unit written.
#include "output/time_columns.h"

namespace zelmot {
namespace {

struct TimeUnit {
    char name[3];
    std::uint8_t width;       // digits of a unit after the first
    bool separatorAlways;     // the next character is its separator, even a letter
    std::uint64_t divisor;    // ns per unit
    std::uint64_t modulus;    // 0: not reduced (whole hours)
};

constexpr TimeUnit kTimeUnits[] = {
    {"hr", 2, true, 3'600'000'000'000, 0},
    {"mn", 2, true, 60'000'000'000, 60},
    {"sc", 2, false, 1'000'000'000, 60},
    {"ms", 3, false, 1'000'000, 1'000},
    {"us", 3, false, 1'000, 1'000},
    {"ns", 3, false, 1, 1'000},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The second character is looked at only when the first is not the end.
bool MatchesUnit(const char* cursor, const char* name) {
    return cursor[0] != '\0' && Lower(cursor[0]) == name[0] && Lower(cursor[1]) == name[1];
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
    if (!separatorAlways && IsLetter(c)) return '\0';
    ++cursor;
    return c;
}

}  // namespace

void WriteTime(TextOut& out, std::int64_t valueNs, const char* format) {
    const bool negative = valueNs < 0;
    const std::uint64_t magnitude =
        negative ? 0u - static_cast<std::uint64_t>(valueNs) : static_cast<std::uint64_t>(valueNs);
    const char* cursor = format;
    bool first = true;
    for (const TimeUnit& unit : kTimeUnits) {
        if (!MatchesUnit(cursor, unit.name)) continue;
        cursor += 2;
        std::uint64_t value = magnitude / unit.divisor;
        if (unit.modulus != 0) value %= unit.modulus;
        if (first) {
            PutFirstUnit(out, value, unit.width, negative);
        } else {
            PutUnsigned(out, value, unit.width, Pad::Zero);
        }
        char separator = TakeSeparator(cursor, unit.separatorAlways);
        if (separator != '\0') PutChar(out, separator);
        first = false;
    }
}

}  // namespace zelmot
