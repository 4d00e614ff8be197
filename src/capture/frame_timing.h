// Frame timing: the tick length chosen by the capture header's baud index,
// and the four times of each frame read (absolute, delta, gap, gap after),
// in signed 64-bit nanoseconds. Computation only: whoever writes lines says
// when one was written, and the delta runs from the start of that frame.
// The per-frame conversion is inline: it runs four times for every frame.
#pragma once

#include <cstdint>

namespace zelmot {

// The tick length is TickNumerator / TickDenominator ns. SelectBaudTiming
// also fills Scale and FastLimit, with which a tick count below FastLimit
// converts by one multiplication and a shift; a BaudTiming made any other
// way (FastLimit 0) converts by the exact rule alone.
struct BaudTiming {
    std::int64_t TickNumerator = 0;
    std::int64_t TickDenominator = 0;
    std::uint8_t TicksPerBit = 0;
    std::uint64_t Scale = 0;      // the tick length times 2^kTickScaleShift, rounded up
    std::uint64_t FastLimit = 0;  // tick counts below it (in magnitude) convert exactly by Scale
};

// The fixed point of BaudTiming::Scale: 51 bits keep the slowest tick
// length's scale (6,510 ns) within 64 bits.
constexpr unsigned kTickScaleShift = 51;

struct FrameTiming {
    std::int64_t AbsTime = 0;
    std::int64_t DeltaTime = 0;  // 0 until the first line is written
    std::int64_t GapTime = 0;
    std::int64_t GapAfterTime = 0;
};

// Everything that links one frame's timing to the frames before it.
struct TimingState {
    BaudTiming Baud;
    FrameTiming Current;               // the frame computed last
    std::uint64_t PrevFrameStart = 0;  // tick time stamp of the frame read last
    std::uint8_t PrevFrameLength = 0;
    std::uint64_t PrevLineStart = 0;   // tick time stamp of the last frame written
    bool FirstLine = true;             // no line has been written yet
    // Whether anything reads the four times (a time or graph column, the
    // filter); without a reader only the links to the previous frame move on.
    bool TimesWanted = true;
};

// The bit rate of a baud index in bit/s; 0 above 8.
std::uint32_t BaudBitRate(std::uint16_t baudIndex);

// Fills timing.Baud for a baud index; false (and nothing set) above 8.
bool SelectBaudTiming(std::uint16_t baudIndex, TimingState& timing);

// Ticks to nanoseconds by the exact rule (ticks x numerator / denominator,
// truncated toward zero), for any tick count; a quotient beyond the 64-bit
// range saturates, and a timing without a denominator gives 0.
std::int64_t TicksToNsExact(const BaudTiming& baud, std::int64_t ticks);

// Ticks to nanoseconds, truncating toward zero (exact for any 48-bit stamp).
// Below FastLimit, floor(m x Scale / 2^51) equals floor(m x numerator /
// denominator) for the magnitude m: SelectBaudTiming chooses the limit so.
inline std::int64_t TicksToNs(const BaudTiming& baud, std::int64_t ticks) {
    __extension__ typedef unsigned __int128 WideUnsigned;
    const std::uint64_t magnitude = ticks < 0 ? 0 - static_cast<std::uint64_t>(ticks) : static_cast<std::uint64_t>(ticks);
    if (magnitude >= baud.FastLimit) [[unlikely]]
        return TicksToNsExact(baud, ticks);
    const auto ns = static_cast<std::int64_t>(static_cast<WideUnsigned>(magnitude) * baud.Scale >> kTickScaleShift);
    return ticks < 0 ? -ns : ns;
}

// Stamps are 48-bit, so the modular difference is the exact signed one.
inline std::int64_t TickDifference(std::uint64_t later, std::uint64_t earlier) {
    return static_cast<std::int64_t>(later - earlier);
}

// A frame's on-bus length in ticks: eleven bits per byte (start, eight data,
// parity, stop).
inline std::uint64_t OnBusTicks(const BaudTiming& baud, std::uint8_t length) {
    return std::uint64_t{length} * baud.TicksPerBit * 11u;
}

// Computes timing.Current for a frame read, and moves the state on. Each
// difference is taken in ticks and converted once.
[[gnu::always_inline]] inline void ComputeFrameTiming(TimingState& timing, bool firstFrame, std::uint64_t timeStamp,
                               std::uint64_t nextTimeStamp, std::uint8_t length) {
    if (firstFrame) {
        timing.PrevFrameStart = timeStamp;
        timing.PrevLineStart = timeStamp;
        timing.PrevFrameLength = 0;
    }
    if (timing.TimesWanted) {
        const BaudTiming& baud = timing.Baud;
        FrameTiming& now = timing.Current;
        now.AbsTime = TicksToNs(baud, static_cast<std::int64_t>(timeStamp));
        now.DeltaTime = timing.FirstLine ? 0 : TicksToNs(baud, TickDifference(timeStamp, timing.PrevLineStart));
        now.GapTime = TicksToNs(baud, TickDifference(timeStamp, timing.PrevFrameStart + OnBusTicks(baud, timing.PrevFrameLength)));
        now.GapAfterTime = TicksToNs(baud, TickDifference(nextTimeStamp, timeStamp + OnBusTicks(baud, length)));
    }
    timing.PrevFrameStart = timeStamp;
    timing.PrevFrameLength = length;
}

// The frame computed last got a line: the next delta runs from its start.
inline void NoteLineWritten(TimingState& timing) {
    timing.FirstLine = false;
    timing.PrevLineStart = timing.PrevFrameStart;
}

}  // namespace zelmot
