// The Start= wall-clock time: "YYYY-MM-DDTHH:MM:SS" in UTC, turned into
// nanoseconds since the Unix epoch by calendar arithmetic alone (no locale,
// no time zone).
#pragma once

#include <cstdint>
#include <string_view>

namespace zelmot {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar
// (negative before it).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// Later years with a capture's whole tick range after them would leave the
// signed 64-bit nanoseconds.
constexpr unsigned kLastStartYear = 2199;

// Parses the time (years 1970-2199, a real date, seconds 00-59); false on
// anything else, ns unchanged.
bool ParseStartTime(std::string_view text, std::int64_t& ns);

}  // namespace zelmot
