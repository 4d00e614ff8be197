// Frame timing: the baud table, tick-to-nanosecond conversion and the four
// times of each frame read.
#include "capture/frame_timing.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace zelmot {
namespace {

TimingState TimingAt(std::uint16_t baudIndex) {
    TimingState timing;
    EXPECT_TRUE(SelectBaudTiming(baudIndex, timing));
    return timing;
}

struct BaudRow {
    std::uint16_t index;
    std::int64_t numerator;
    std::int64_t denominator;
    std::uint8_t ticksPerBit;
    std::int64_t bitTimeNs;  // one bit's ticks converted, fraction dropped
};

TEST(SelectBaudTiming, EveryIndexGivesItsTickLengthAndTicksPerBit) {
    const BaudRow rows[] = {
        {0, 10'000'000, 1'536, 16, 104'166}, {1, 10'000'000, 3'072, 16, 52'083},
        {2, 10'000, 15, 16, 10'666},         {3, 1'000, 3, 16, 5'333},
        {4, 1'000, 8, 16, 2'000},            {5, 1'000, 24, 16, 666},
        {6, 1'000, 48, 16, 333},             {7, 1'000, 48, 8, 166},
        {8, 1'000, 48, 4, 83},
    };
    for (const BaudRow& row : rows) {
        SCOPED_TRACE(row.index);
        TimingState timing = TimingAt(row.index);
        EXPECT_EQ(timing.Baud.TickNumerator, row.numerator);
        EXPECT_EQ(timing.Baud.TickDenominator, row.denominator);
        EXPECT_EQ(timing.Baud.TicksPerBit, row.ticksPerBit);
        EXPECT_EQ(TicksToNs(timing.Baud, timing.Baud.TicksPerBit), row.bitTimeNs);
    }
}

TEST(SelectBaudTiming, RefusesIndicesAboveEightAndLeavesTimingAlone) {
    for (std::uint16_t index : {std::uint16_t{9}, std::uint16_t{100}, std::uint16_t{0xffff}}) {
        TimingState timing = TimingAt(4);
        EXPECT_FALSE(SelectBaudTiming(index, timing));
        EXPECT_EQ(timing.Baud.TickDenominator, 8);
        EXPECT_EQ(timing.Baud.TicksPerBit, 16);
    }
}

TEST(TicksToNs, MultipliesFirstAndTruncatesTowardZero) {
    const BaudTiming fast = TimingAt(8).Baud;
    EXPECT_EQ(TicksToNs(fast, -1), -20);
    EXPECT_EQ(TicksToNs(fast, 1), 20);
    EXPECT_EQ(TicksToNs(fast, -736), -15'333);
    EXPECT_EQ(TicksToNs(fast, 0), 0);

    const BaudTiming slow = TimingAt(0).Baud;
    EXPECT_EQ(TicksToNs(slow, 1), 6'510);
    EXPECT_EQ(TicksToNs(slow, 1'536), 10'000'000);
    EXPECT_EQ(TicksToNs(slow, -1'536), -10'000'000);
}

// The largest 48-bit stamp, split so the expectation needs no wide product.
TEST(TicksToNs, LargestStampConvertsExactlyAtTheSlowRates) {
    const std::int64_t stamp = (std::int64_t{1} << 48) - 1;
    for (std::uint16_t index : {std::uint16_t{0}, std::uint16_t{1}}) {
        const BaudTiming baud = TimingAt(index).Baud;
        const std::int64_t whole = stamp / baud.TickDenominator;
        const std::int64_t rest = stamp % baud.TickDenominator;
        const std::int64_t exact =
            whole * baud.TickNumerator + rest * baud.TickNumerator / baud.TickDenominator;
        EXPECT_EQ(TicksToNs(baud, stamp), exact) << "index " << index;
        EXPECT_EQ(TicksToNs(baud, -stamp), -exact) << "index " << index;
    }
    EXPECT_EQ(TicksToNs(TimingAt(0).Baud, stamp), 1'832'519'379'626'660'156);
}

TEST(TicksToNs, EqualsTheSixtyFourBitRuleBelowItsOverflowBound) {
    for (std::uint16_t index = 0; index <= 8; ++index) {
        const BaudTiming baud = TimingAt(index).Baud;
        const std::int64_t bound = std::numeric_limits<std::int64_t>::max() / baud.TickNumerator;
        for (std::int64_t ticks : {bound, bound - 1, -bound, std::int64_t{12'345'678'901}}) {
            EXPECT_EQ(TicksToNs(baud, ticks), ticks * baud.TickNumerator / baud.TickDenominator)
                << "index " << index << " ticks " << ticks;
        }
    }
}

TEST(TicksToNs, SaturatesWhereNoSixtyFourBitResultExists) {
    const BaudTiming slow = TimingAt(0).Baud;
    EXPECT_EQ(TicksToNs(slow, std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(TicksToNs(slow, std::numeric_limits<std::int64_t>::min()),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(TicksToNs(BaudTiming{}, 1'000), 0);  // no baud selected: no division by zero
}

// The conversion by scale against the rule itself, worked out in 128 bits:
// around every index's fast limit, at 48-bit stamps and their differences,
// and at random magnitudes of every size, of both signs.
TEST(TicksToNs, TheScaledConversionIsTheExactRule) {
    __extension__ typedef __int128 Wide;
    std::mt19937_64 random(48);
    for (std::uint16_t index = 0; index <= 8; ++index) {
        const BaudTiming baud = TimingAt(index).Baud;
        ASSERT_GT(baud.FastLimit, std::uint64_t{1} << 46) << "index " << index;
        const auto limit = static_cast<std::int64_t>(baud.FastLimit);
        std::vector<std::int64_t> ticks = {0, 1, 47, 48, 1535, 1536, limit - 1, limit, limit + 1,
                                           (std::int64_t{1} << 48) - 1, (std::int64_t{1} << 49) - 1};
        for (int i = 0; i < 20000; ++i) ticks.push_back(static_cast<std::int64_t>(random() >> (random() % 64)) / 2);
        for (std::int64_t t : ticks) {
            for (std::int64_t signedTicks : {t, -t}) {
                if (signedTicks > std::numeric_limits<std::int64_t>::max() / 8192 ||
                    signedTicks < std::numeric_limits<std::int64_t>::min() / 8192)
                    continue;  // beyond any 48-bit difference; the saturating rule has its own test
                const auto exact = static_cast<std::int64_t>(Wide{signedTicks} * baud.TickNumerator / baud.TickDenominator);
                EXPECT_EQ(TicksToNs(baud, signedTicks), exact) << "index " << index << " ticks " << signedTicks;
                EXPECT_EQ(TicksToNsExact(baud, signedTicks), exact) << "index " << index << " ticks " << signedTicks;
            }
        }
    }
}

TEST(ComputeFrameTiming, FirstFrameHasNoGapAndNoDelta) {
    TimingState timing = TimingAt(8);
    ComputeFrameTiming(timing, true, 48'000, 49'000, 6);
    EXPECT_EQ(timing.Current.AbsTime, 1'000'000);
    EXPECT_EQ(timing.Current.DeltaTime, 0);
    EXPECT_EQ(timing.Current.GapTime, 0);
    // 6 bytes at index 8 last 264 ticks; 736 idle ticks remain
    EXPECT_EQ(timing.Current.GapAfterTime, 15'333);
    EXPECT_EQ(timing.PrevFrameStart, 48'000u);
    EXPECT_EQ(timing.PrevFrameLength, 6);
    EXPECT_EQ(timing.PrevLineStart, 48'000u);
}

// Each frame's gap runs from the end of the frame read just before it, and
// equals that frame's gap after; the delta runs from the last line start
// (here the first frame's, the only line written).
TEST(ComputeFrameTiming, GapsAreMeasuredAgainstTheFrameReadBefore) {
    struct Frame {
        std::uint64_t stamp;
        std::uint8_t length;
    };
    const Frame frames[] = {{1'000, 6}, {2'000, 11}, {2'100, 0}, {2'100, 255}, {9'000, 3}};
    TimingState timing = TimingAt(7);  // 8 ticks per bit: 88 ticks per byte
    std::int64_t previousGapAfter = 0;
    for (std::size_t i = 0; i + 1 < std::size(frames); ++i) {
        SCOPED_TRACE(i);
        ComputeFrameTiming(timing, i == 0, frames[i].stamp, frames[i + 1].stamp, frames[i].length);
        if (i == 0) NoteLineWritten(timing);
        const std::int64_t stamp = static_cast<std::int64_t>(frames[i].stamp);
        EXPECT_EQ(timing.Current.DeltaTime, TicksToNs(timing.Baud, stamp - 1'000));
        if (i > 0) {
            const std::int64_t before = static_cast<std::int64_t>(frames[i - 1].stamp);
            EXPECT_EQ(timing.Current.GapTime,
                      TicksToNs(timing.Baud, stamp - before - frames[i - 1].length * 88));
            EXPECT_EQ(timing.Current.GapTime, previousGapAfter);
        }
        previousGapAfter = timing.Current.GapAfterTime;
    }
}

TEST(ComputeFrameTiming, OverlappingFramesGiveNegativeGaps) {
    TimingState timing = TimingAt(8);
    ComputeFrameTiming(timing, true, 10'000, 10'100, 6);  // 264 ticks long
    EXPECT_EQ(timing.Current.GapAfterTime, -3'416);          // -164 ticks
    NoteLineWritten(timing);
    ComputeFrameTiming(timing, false, 10'100, 10'000, 2);    // the next stamp runs backwards
    EXPECT_EQ(timing.Current.GapTime, -3'416);
    EXPECT_EQ(timing.Current.GapAfterTime, TicksToNs(timing.Baud, -100 - 88));
    EXPECT_EQ(timing.Current.DeltaTime, 2'083);
}

TEST(ComputeFrameTiming, EmptyFrameHasNoOnBusLength) {
    TimingState timing = TimingAt(0);
    ComputeFrameTiming(timing, true, 0, 1'536, 0);
    EXPECT_EQ(timing.Current.GapAfterTime, 10'000'000);
    ComputeFrameTiming(timing, false, 1'536, 1'536, 0);
    EXPECT_EQ(timing.Current.GapTime, 10'000'000);
}

TEST(ComputeFrameTiming, OnlyTheFirstFrameRestartsTheState) {
    TimingState timing = TimingAt(8);
    ComputeFrameTiming(timing, true, 1'000, 2'000, 6);
    NoteLineWritten(timing);
    ComputeFrameTiming(timing, false, 2'000, 3'000, 6);
    EXPECT_EQ(timing.Current.DeltaTime, TicksToNs(timing.Baud, 1'000));
    EXPECT_EQ(timing.Current.GapTime, TicksToNs(timing.Baud, 1'000 - 264));
    // A second run on the same record starts over.
    ComputeFrameTiming(timing, true, 500, 600, 1);
    EXPECT_EQ(timing.Current.GapTime, 0);
    EXPECT_EQ(timing.Current.DeltaTime, 0);
}

TEST(ComputeFrameTiming, LargestStampsKeepTheirDifferencesExact) {
    const std::uint64_t top = (std::uint64_t{1} << 48) - 1;
    TimingState timing = TimingAt(0);
    ComputeFrameTiming(timing, true, 0, top, 0);
    EXPECT_EQ(timing.Current.GapAfterTime, TicksToNs(timing.Baud, static_cast<std::int64_t>(top)));
    ComputeFrameTiming(timing, false, top, 0, 0);
    EXPECT_EQ(timing.Current.AbsTime, 1'832'519'379'626'660'156);
    EXPECT_EQ(timing.Current.GapAfterTime, -1'832'519'379'626'660'156);
}

}  // namespace
}  // namespace zelmot
