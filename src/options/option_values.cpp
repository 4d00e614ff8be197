// The small readers that option arguments share: skipping blanks, cutting a
// word, reading a number (hexadecimal, quoted character or decimal) and
// reading a time with its unit as nanoseconds. Out-of-range numbers are
// clamped or saturated rather than wrapped, so no input is undefined.
#include "options/option_values.h"

#include <array>
#include <limits>

#include "common/ascii.h"
#include "common/number_scan.h"

namespace zelmot {
namespace {

struct TimeUnit {
    std::string_view Name;
    std::int64_t Nanoseconds;
};

// Tested in this order; the first match wins.
constexpr std::array<TimeUnit, 6> kTimeUnits{{
    {"hr", 3'600'000'000'000},
    {"mn", 60'000'000'000},
    {"sc", 1'000'000'000},
    {"ms", 1'000'000},
    {"us", 1'000},
    {"ns", 1},
}};

constexpr std::uint64_t kMaxUnsigned32 = 0xFFFFFFFFu;
constexpr std::int64_t kMaxSigned32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMinSigned32 = std::numeric_limits<std::int32_t>::min();

// Reads an optional sign; true for '-'.
bool ReadSign(const char*& p) {
    if (*p != '+' && *p != '-') return false;
    return *p++ == '-';
}

// Hexadecimal digits after a leading "0x", scanned as an unsigned-long
// conversion does: white space skipped, an optional sign, an optional second
// "0x" prefix (taken only when a hex digit follows it), then the digits. A
// value beyond 32 bits saturates to 0xFFFFFFFF whatever its sign; otherwise
// a '-' negates it modulo 2^32. The 32 bits are then read as signed.
bool ScanHex(const char* p, std::int32_t& value) {
    while (ascii::IsSpace(*p)) ++p;
    bool negative = ReadSign(p);
    if (p[0] == '0' && ascii::ToLower(p[1]) == 'x' && ascii::HexDigitValue(p[2]) >= 0) p += 2;
    const DigitRun run = ScanDigitRun(p, 16, kMaxUnsigned32);
    if (run.Length == 0) return false;
    auto bits = static_cast<std::uint32_t>(run.Value);
    if (negative && !run.Saturated) bits = static_cast<std::uint32_t>(0u - bits);
    value = static_cast<std::int32_t>(bits);
    return true;
}

// Signed decimal, scanned as a signed-long conversion does: white space
// skipped, an optional sign, at least one digit. Clamped to 32 bits.
bool ScanDecimal(const char* p, std::int32_t& value) {
    while (ascii::IsSpace(*p)) ++p;
    bool negative = ReadSign(p);
    const std::int64_t limit = negative ? -kMinSigned32 : kMaxSigned32;
    const DigitRun run = ScanDigitRun(p, 10, static_cast<std::uint64_t>(limit));
    if (run.Length == 0) return false;
    const auto magnitude = static_cast<std::int64_t>(run.Value);
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

const TimeUnit* FindTimeUnit(const char* unit) {
    for (const TimeUnit& entry : kTimeUnits) {
        if (ascii::StartsWithNoCase(unit, entry.Name.substr(0, 2))) return &entry;
    }
    return nullptr;
}

// count * unit, held to the int64 range.
std::int64_t SaturatingProduct(std::int32_t count, std::int64_t unit) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (count > 0 && count > kMax / unit) return kMax;
    if (count < 0 && count < kMin / unit) return kMin;
    return count * unit;
}

}  // namespace

char* SkipBlanks(char* cursor) {
    while (ascii::IsSpace(*cursor)) ++cursor;
    if (*cursor == ';') *cursor = '\0';
    return cursor;
}

char* CutToken(char* start) {
    char* end = start;
    while (*end != '\0' && *end != ';' && !ascii::IsSpace(*end)) ++end;
    if (*end == ';') *end = '\0';
    return end;
}

Outcome ParseNumber(char*& cursor, std::int32_t& value) {
    if (cursor[0] == '0' && ascii::ToLower(cursor[1]) == 'x') {
        if (!ScanHex(cursor + 2, value)) return ErrorText("Invalid Hex Numeric String '%s'", cursor);
    } else if (cursor[0] == '\'') {
        ++cursor;
        value = static_cast<std::int8_t>(static_cast<unsigned char>(*cursor));
    } else if (!ScanDecimal(cursor, value)) {
        return ErrorText("Invalid Dec Numeric String '%s'", cursor);
    }
    // Whatever follows the number inside its word is passed over; a ';'
    // does not stop this.
    while (*cursor != '\0' && !ascii::IsSpace(*cursor)) ++cursor;
    return Success();
}

Outcome ParseTimeValue(char*& cursor, std::int64_t& nanoseconds) {
    char* word = cursor;
    char* end = CutToken(word);
    const char kept = *end;
    *end = '\0';
    if (end - word < 2) return ErrorText("Time Numeric String too short '%s'", word);
    char* unit = end - 2;
    const TimeUnit* found = FindTimeUnit(unit);
    if (found == nullptr) return ErrorText("Time Numeric String Unit Expected '%s' (", unit);
    const char unitFirst = *unit;
    *unit = '\0';  // the number is the word in front of its unit
    char* number = word;
    std::int32_t count = 0;
    Outcome result = ParseNumber(number, count);
    if (result.IsError()) return result;
    *unit = unitFirst;
    *end = kept;
    cursor = end;
    nanoseconds = SaturatingProduct(count, found->Nanoseconds);
    return Success();
}

}  // namespace zelmot
