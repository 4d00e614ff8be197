// Numbers and times as the reports write them, in one place: fixed notation
// with a count of decimals (as printf's "%.*f" writes it, through
// std::to_chars into room that fits any double: never cut, never a locale's
// separator), numbers in full with thousands separators so that a figure can
// be quoted exactly, microseconds, and times of the absolute time column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "common/text_out.h"

namespace zelmot {

constexpr int kMaxFixedDecimals = 9;
// A sign, 309 integer digits, the point and the decimals.
constexpr std::size_t kMaxFixedChars = 1 + std::numeric_limits<double>::max_exponent10 + 1 + 1 + kMaxFixedDecimals;

// Writes value with decimals (0-9) into at, which has room for
// kMaxFixedChars; returns the end.
char* WriteFixed(char* at, double value, int decimals);
void AppendFixed(std::string& to, double value, int decimals);
void PutFixed(TextOut& out, double value, int decimals);

// "1,234,567", "-1,234"
std::string GroupedInteger(std::int64_t value);
std::string GroupedUnsigned(std::uint64_t value);
// value rounded to a fixed number of decimals, integer part grouped:
// "1,234.568"; no "-" for a value that rounds to zero.
std::string GroupedFixed(double value, int decimals);

// Nanoseconds as microseconds with three decimals (exact for integers):
// 1234567 -> "1,234.567".
std::string MicrosecondsText(std::int64_t ns);
std::string MicrosecondsText(double ns);

// Absolute time in nanoseconds as "hh:mm:ss" (hours not reduced to a day,
// at least two digits), with fractionDigits (0-9) decimals of the second,
// truncated as the time columns truncate.
std::string ClockText(std::int64_t ns, int fractionDigits);

// The time of day as the text report writes it, "12:00:00.040 087":
// truncated to the microsecond, a blank between the milliseconds and the
// microseconds.
std::string TimeOfDayText(std::int64_t ns);

}  // namespace zelmot
