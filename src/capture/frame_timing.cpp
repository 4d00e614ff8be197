// Frame timing: the tick length and ticks per bit chosen once per run by the
// capture header's baud index, with the scale that turns the per-frame
// tick-to-nanosecond division into a multiplication, and the exact rule for
// what lies beyond the scale's range. The per-frame steps are inline in the
// header; the state that links a frame to the frames before it lives in the
// TimingState the caller passes in.
#include "capture/frame_timing.h"

#include <cstddef>
#include <limits>
#include <numeric>

namespace zelmot {
namespace {

__extension__ typedef __int128 Wide;
__extension__ typedef unsigned __int128 WideUnsigned;

struct BaudRow {
    std::int64_t TickNumerator;
    std::int64_t TickDenominator;
    std::uint8_t TicksPerBit;
};

// Indexed by the header's baud index. The tick clock runs at sixteen times
// the bit rate up to 3 Mbit/s and at 48 MHz above it.
constexpr BaudRow kBaudTable[] = {
    {10'000'000, 1'536, 16},  // 9,600 bit/s
    {10'000'000, 3'072, 16},  // 19,200 bit/s
    {10'000, 15, 16},         // 93,750 bit/s
    {1'000, 3, 16},           // 187,500 bit/s
    {1'000, 8, 16},           // 500,000 bit/s
    {1'000, 24, 16},          // 1.5 Mbit/s
    {1'000, 48, 16},          // 3 Mbit/s
    {1'000, 48, 8},           // 6 Mbit/s
    {1'000, 48, 4},           // 12 Mbit/s
};

constexpr std::size_t kBaudCount = sizeof kBaudTable / sizeof kBaudTable[0];

// The tick length n/d (in lowest terms) as Scale = ceil(n x 2^s / d), s =
// kTickScaleShift. With Scale = (n x 2^s + r) / d, 0 <= r < d, a magnitude m
// gives m x Scale / 2^s = m x n / d + m x r / (d x 2^s); the floor of that is
// the floor of m x n / d as long as the excess m x r / (d x 2^s) stays below
// 1/d, that is while m x r < 2^s. The limit also keeps every quotient
// below 2^62.
BaudTiming TimingOf(const BaudRow& row) {
    BaudTiming baud;
    baud.TickNumerator = row.TickNumerator;
    baud.TickDenominator = row.TickDenominator;
    baud.TicksPerBit = row.TicksPerBit;
    const std::int64_t common = std::gcd(row.TickNumerator, row.TickDenominator);
    const auto n = static_cast<WideUnsigned>(row.TickNumerator / common);
    const auto d = static_cast<WideUnsigned>(row.TickDenominator / common);
    const WideUnsigned one = WideUnsigned{1} << kTickScaleShift;
    const WideUnsigned scale = (n * one + d - 1) / d;
    const WideUnsigned r = scale * d - n * one;
    WideUnsigned limit = (WideUnsigned{1} << 62) * d / n;
    if (r != 0 && (one - 1) / r + 1 < limit) limit = (one - 1) / r + 1;
    if (scale > std::numeric_limits<std::uint64_t>::max()) return baud;  // no fast conversion
    baud.Scale = static_cast<std::uint64_t>(scale);
    baud.FastLimit = static_cast<std::uint64_t>(limit);
    return baud;
}

}  // namespace

std::uint32_t BaudBitRate(std::uint16_t baudIndex) {
    if (baudIndex >= kBaudCount) return 0;
    const BaudRow& baud = kBaudTable[baudIndex];
    // One bit lasts TicksPerBit ticks of TickNumerator / TickDenominator ns.
    return static_cast<std::uint32_t>(1'000'000'000LL * baud.TickDenominator /
                                      (std::int64_t{baud.TicksPerBit} * baud.TickNumerator));
}

bool SelectBaudTiming(std::uint16_t baudIndex, TimingState& timing) {
    if (baudIndex >= kBaudCount) return false;
    timing.Baud = TimingOf(kBaudTable[baudIndex]);
    return true;
}

// The product is formed in 128 bits when 64 do not hold it, so no stamp
// overflows it; a quotient beyond the 64-bit range (not reachable from
// 48-bit stamps) saturates.
std::int64_t TicksToNsExact(const BaudTiming& baud, std::int64_t ticks) {
    if (baud.TickDenominator <= 0) return 0;
    std::int64_t product;
    if (!__builtin_mul_overflow(ticks, baud.TickNumerator, &product))
        return product / baud.TickDenominator;
    Wide ns = Wide{ticks} * baud.TickNumerator / baud.TickDenominator;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (ns > kMax) return kMax;
    if (ns < kMin) return kMin;
    return static_cast<std::int64_t>(ns);
}

}  // namespace zelmot
