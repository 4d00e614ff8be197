// Number and time texts for the reports and the charts. No locale is
// consulted: the separators are fixed, so a report reads the same wherever
// it is written.
#include "report/number_text.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace zelmot {
namespace {

std::string Grouped(std::string digits, bool negative) {
    std::string result;
    const std::size_t count = digits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) result += ',';
        result += digits[i];
    }
    return negative ? "-" + result : result;
}

}  // namespace

char* WriteFixed(char* at, double value, int decimals) {
    assert(decimals >= 0 && decimals <= kMaxFixedDecimals);
    const std::to_chars_result result = std::to_chars(at, at + kMaxFixedChars, value, std::chars_format::fixed, decimals);
    assert(result.ec == std::errc{});  // the room fits any double, "inf" and "nan" too
    return result.ptr;
}

void AppendFixed(std::string& to, double value, int decimals) {
    const std::size_t used = to.size();
    to.resize(used + kMaxFixedChars);
    to.resize(static_cast<std::size_t>(WriteFixed(to.data() + used, value, decimals) - to.data()));
}

void PutFixed(TextOut& out, double value, int decimals) {
    char* at = Reserve(out, kMaxFixedChars);
    out.Used += static_cast<std::size_t>(WriteFixed(at, value, decimals) - at);
}

std::string GroupedUnsigned(std::uint64_t value) { return Grouped(std::to_string(value), false); }

std::string GroupedInteger(std::int64_t value) {
    // The magnitude as unsigned, so that the most negative value works too.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return Grouped(std::to_string(magnitude), value < 0);
}

std::string GroupedFixed(double value, int decimals) {
    if (!std::isfinite(value)) return std::isnan(value) ? "n/a" : (value < 0 ? "-inf" : "inf");
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::fabs(value));
    const std::string_view all(text);
    const std::size_t point = all.find('.');
    const std::string whole(all.substr(0, point));
    const std::string fraction(point == std::string_view::npos ? "" : all.substr(point));
    const bool zero = all.find_first_not_of("0.") == std::string_view::npos;
    return Grouped(whole, value < 0 && !zero) + fraction;
}

std::string MicrosecondsText(std::int64_t ns) {
    const std::uint64_t magnitude =
        ns < 0 ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03u", static_cast<unsigned>(magnitude % 1000));
    return Grouped(std::to_string(magnitude / 1000), ns < 0) + fraction;
}

std::string MicrosecondsText(double ns) { return GroupedFixed(ns / 1000.0, 3); }

std::string ClockText(std::int64_t ns, int fractionDigits) {
    const bool negative = ns < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    const std::uint64_t seconds = magnitude / 1000000000u;
    char text[64];
    int used = std::snprintf(text, sizeof text, "%s%02llu:%02u:%02u", negative ? "-" : "",
                             static_cast<unsigned long long>(seconds / 3600),
                             static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    if (fractionDigits > 0) {
        if (fractionDigits > 9) fractionDigits = 9;
        std::uint64_t fraction = magnitude % 1000000000u;
        for (int k = fractionDigits; k < 9; ++k) fraction /= 10;
        std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), ".%0*llu", fractionDigits,
                      static_cast<unsigned long long>(fraction));
    }
    return text;
}

std::string TimeOfDayText(std::int64_t ns) {
    std::string text = ClockText(ns, 6);
    text.insert(text.size() - 3, 1, ' ');
    return text;
}

}  // namespace zelmot
