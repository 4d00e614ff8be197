// Fixed-notation numbers for the reports and the charts.
#include "stats/fixed_number.h"

#include <cassert>
#include <charconv>
#include <system_error>

namespace zelmot {

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

}  // namespace zelmot
