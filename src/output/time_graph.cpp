// One text bar graph of a time value against its full scale: dots for the
// share of the width, "|" marking the end, "*" at both ends for a value above
// full scale. Always exactly width characters, never a division by zero.
#include "output/time_columns.h"

namespace zelmot {
namespace {

__extension__ typedef __int128 Wide;

void PutOverflowMark(TextOut& out, std::uint8_t width) {
    PutChar(out, '*');
    if (width < 2) return;
    PutRepeated(out, ' ', width - 2u);
    PutChar(out, '*');
}

// 0 <= value <= fullScale here, so the count is at most width.
std::uint8_t DotCount(std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs) {
    if (valueNs <= 0 || fullScaleNs <= 0) return 0;
    std::int64_t product;
    if (!__builtin_mul_overflow(valueNs, std::int64_t{width}, &product))
        return static_cast<std::uint8_t>(product / fullScaleNs);  // the usual case
    return static_cast<std::uint8_t>(Wide{valueNs} * width / fullScaleNs);
}

}  // namespace

void WriteGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs) {
    if (width == 0) return;
    if (valueNs > fullScaleNs) {
        PutOverflowMark(out, width);
        return;
    }
    std::uint8_t dots = DotCount(width, valueNs, fullScaleNs);
    PutRepeated(out, '.', dots);
    if (dots == width) return;
    PutRepeated(out, ' ', width - dots - 1u);
    PutChar(out, '|');
}

}  // namespace zelmot
