// Text as it goes into the HTML page: every inserted text escaped (also
// inside SVG and attribute values), numbers written in full with thousands
// separators so that a figure on the page can be quoted exactly, and times
// of the absolute time column as hh:mm:ss.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text_out.h"

namespace zelmot {

// Appends text with & < > " ' as character references. Bytes that are not
// well-formed UTF-8 are taken as Latin-1 characters, control characters
// (other than tab and line feed) as their visible control pictures, so that
// the page is valid UTF-8 and nothing of the text is dropped.
void PutEscaped(TextOut& out, std::string_view text);
std::string EscapedText(std::string_view text);

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
