// Frame timing: the tick length and ticks per bit chosen once per run by the
// capture header's baud index, the tick-to-nanosecond conversion, and the
// four times of each frame read. The state that links a frame to the frames
// before it lives in the TimingState the caller passes in.
#include "capture/frame_timing.h"

#include <cstddef>
#include <limits>

namespace zelmot {
namespace {

__extension__ typedef __int128 Wide;

// Indexed by the header's baud index. The tick clock runs at sixteen times
// the bit rate up to 3 Mbit/s and at 48 MHz above it.
constexpr BaudTiming kBaudTable[] = {
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

// A frame's on-bus length in ticks: eleven bits per byte (start, eight data,
// parity, stop).
std::uint64_t OnBusTicks(const BaudTiming& baud, std::uint8_t length) {
    return std::uint64_t{length} * baud.TicksPerBit * 11u;
}

// Stamps are 48-bit, so the modular difference is the exact signed one.
std::int64_t TickDifference(std::uint64_t later, std::uint64_t earlier, std::uint64_t less) {
    return static_cast<std::int64_t>(later - earlier - less);
}

// The baud table's denominators as constants, so that the division per time
// value becomes a multiplication; any other denominator divides plainly.
std::int64_t DivideByDenominator(std::int64_t value, std::int64_t denominator) {
    switch (denominator) {
        case 48: return value / 48;
        case 24: return value / 24;
        case 8: return value / 8;
        case 3: return value / 3;
        case 15: return value / 15;
        case 1536: return value / 1536;
        case 3072: return value / 3072;
        default: return value / denominator;
    }
}

}  // namespace

std::uint32_t BaudBitRate(std::uint16_t baudIndex) {
    if (baudIndex >= kBaudCount) return 0;
    const BaudTiming& baud = kBaudTable[baudIndex];
    // One bit lasts TicksPerBit ticks of TickNumerator / TickDenominator ns.
    return static_cast<std::uint32_t>(1'000'000'000LL * baud.TickDenominator /
                                      (std::int64_t{baud.TicksPerBit} * baud.TickNumerator));
}

bool SelectBaudTiming(std::uint16_t baudIndex, TimingState& timing) {
    if (baudIndex >= kBaudCount) return false;
    timing.Baud = kBaudTable[baudIndex];
    return true;
}

// The product is formed in 128 bits when 64 do not hold it, so no stamp
// overflows it; a quotient beyond the 64-bit range (not reachable from
// 48-bit stamps) saturates.
std::int64_t TicksToNs(const BaudTiming& baud, std::int64_t ticks) {
    if (baud.TickDenominator <= 0) return 0;
    std::int64_t product;
    if (!__builtin_mul_overflow(ticks, baud.TickNumerator, &product))
        return DivideByDenominator(product, baud.TickDenominator);  // the common case
    Wide ns = Wide{ticks} * baud.TickNumerator / baud.TickDenominator;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (ns > kMax) return kMax;
    if (ns < kMin) return kMin;
    return static_cast<std::int64_t>(ns);
}

namespace {

// The four times of a frame, each difference taken in ticks and converted once.
void ConvertFrameTimes(const TimingState& timing, FrameTiming& now, std::uint64_t timeStamp,
                       std::uint64_t nextTimeStamp, std::uint8_t length) {
    const BaudTiming& baud = timing.Baud;
    now.AbsTime = TicksToNs(baud, static_cast<std::int64_t>(timeStamp));
    now.DeltaTime =
        timing.FirstLine ? 0 : TicksToNs(baud, TickDifference(timeStamp, timing.PrevLineStart, 0));
    now.GapTime = TicksToNs(baud, TickDifference(timeStamp, timing.PrevFrameStart,
                                                 OnBusTicks(baud, timing.PrevFrameLength)));
    now.GapAfterTime =
        TicksToNs(baud, TickDifference(nextTimeStamp, timeStamp, OnBusTicks(baud, length)));
}

}  // namespace

void ComputeFrameTiming(TimingState& timing, bool firstFrame, std::uint64_t timeStamp,
                        std::uint64_t nextTimeStamp, std::uint8_t length) {
    if (firstFrame) {
        timing.PrevFrameStart = timeStamp;
        timing.PrevLineStart = timeStamp;
        timing.PrevFrameLength = 0;
    }
    FrameTiming& now = timing.Current;
    if (timing.TimesWanted) ConvertFrameTimes(timing, now, timeStamp, nextTimeStamp, length);
    timing.PrevFrameStart = timeStamp;
    timing.PrevFrameLength = length;
}

}  // namespace zelmot
