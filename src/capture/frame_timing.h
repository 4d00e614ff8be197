// Frame timing: the tick length chosen by the capture header's baud index,
// and the four times of each frame read (absolute, delta, gap, gap after),
// in signed 64-bit nanoseconds. Computation only: whoever writes lines says
// when one was written, and the delta runs from the start of that frame.
#pragma once

#include <cstdint>

namespace zelmot {

struct BaudTiming {
    std::int64_t TickNumerator = 0;    // tick length = TickNumerator / TickDenominator ns
    std::int64_t TickDenominator = 0;
    std::uint8_t TicksPerBit = 0;
};

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

// Ticks to nanoseconds, truncating toward zero (exact for any 48-bit stamp).
std::int64_t TicksToNs(const BaudTiming& baud, std::int64_t ticks);

// Stamps are 48-bit, so the modular difference is the exact signed one.
inline std::int64_t TickDifference(std::uint64_t later, std::uint64_t earlier) {
    return static_cast<std::int64_t>(later - earlier);
}

// Computes timing.Current for a frame read, and moves the state on.
void ComputeFrameTiming(TimingState& timing, bool firstFrame, std::uint64_t timeStamp,
                        std::uint64_t nextTimeStamp, std::uint8_t length);

// The frame computed last got a line: the next delta runs from its start.
inline void NoteLineWritten(TimingState& timing) {
    timing.FirstLine = false;
    timing.PrevLineStart = timing.PrevFrameStart;
}

}  // namespace zelmot
