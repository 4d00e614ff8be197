// ScanDigitRun: std::from_chars over the digits, saturating at a maximum.
#include "common/number_scan.h"

#include <cassert>
#include <charconv>

namespace zelmot {

DigitRun ScanDigitRun(std::string_view text, int base, std::uint64_t max) {
    assert(base == 10 || base == 16);
    DigitRun run;
    const char* first = text.data();
    const char* last = first + text.size();
    auto [end, error] = std::from_chars(first, last, run.Value, base);
    if (error == std::errc::invalid_argument) return DigitRun{};
    // Out of range, end still lies past the whole run of digits.
    run.Length = static_cast<std::size_t>(end - first);
    if (error == std::errc::result_out_of_range || run.Value > max) {
        run.Value = max;
        run.Saturated = true;
    }
    return run;
}

}  // namespace zelmot
