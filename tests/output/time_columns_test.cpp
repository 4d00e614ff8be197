// Time and graph columns: time formats, bars, and the whole time part of a
// line with its delta bookkeeping.
#include "output/time_columns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace zelmot {
namespace {

constexpr std::int64_t kWorkedValue = 3'723'004'005'006;  // 1 h 2 min 3 s 4 ms 5 us 6 ns
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Written twice with one record of kept seconds: the second time from the
// text of the whole seconds the first kept, where the layout keeps one.
std::string Time(std::int64_t valueNs, const char* format) {
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    TimeFormat layout;
    SetTimeFormat(layout, format);
    KeptSeconds kept;
    WriteTime(out, valueNs, layout.Layout, kept);
    FlushTextOut(out);
    const std::string first = text;
    WriteTime(out, valueNs, layout.Layout, kept);
    FlushTextOut(out);
    EXPECT_EQ(text.substr(first.size()), first) << "from the kept seconds, format '" << format << "'";
    return first;
}

// One column's values one after the other, each as written on its own.
TEST(WriteTime, KeptSecondsServeOnlyTheirOwnSecond) {
    const char* const formats[] = {"hr:mn:sc.ms,us,ns", "sc.ms", "mn:sc", "hrXsc", "ms,us"};
    const std::int64_t values[] = {1'500'000'000, 1'999'999'999, 2'000'000'000, 2'000'000'001, 500,
                                   2'500'000'000, 61'000'000'000, 3'661'000'000'001, -2'500'000'000,
                                   2'700'000'000, 3'600'000'000'000, kMax, 1'000'000'000};
    for (const char* format : formats) {
        TimeFormat layout;
        SetTimeFormat(layout, format);
        KeptSeconds kept;
        for (std::int64_t value : values) {
            const std::string alone = Time(value, format);
            std::string text;
            TextOut out;
            OpenTextOutMemory(out, &text);
            WriteTime(out, value, layout.Layout, kept);
            CloseTextOut(out);
            EXPECT_EQ(text, alone) << "format '" << format << "' value " << value;
        }
    }
}

std::string Graph(std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs) {
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    WriteGraph(out, width, valueNs, fullScaleNs);
    FlushTextOut(out);
    return text;
}

// The time part of a line, written as the run writes it: the columns, then
// the note that a line was written.
std::string TimeColumns(const DisplayOptions& options, TimingState& timing) {
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    KeptTimeTexts kept;
    WriteTimeColumns(out, options, timing.Current, kept);
    NoteLineWritten(timing);
    FlushTextOut(out);
    return text;
}

struct TimeRow {
    const char* format;
    std::int64_t value;
    const char* written;
};

TEST(WriteTime, WorkedFormats) {
    const TimeRow rows[] = {
        {"hr:mn:sc.ms,us,ns", kWorkedValue, " 1:02:03.004,005,006 "},
        {"sc.ms", kWorkedValue, " 3.004 "},
        {"SC.MS", kWorkedValue, " 3.004 "},
        {"mn:sc", kWorkedValue, " 2:03 "},
        {"ms", kWorkedValue, "  4 "},
        {"ms,us", kWorkedValue, "  4,005 "},
        {"scms", kWorkedValue, " 3004 "},
        {"hrmn", kWorkedValue, " 1m"},
        {"sc..ms", kWorkedValue, " 3."},
        {"sc.ms,", kWorkedValue, " 3.004,"},
        {"xyz", kWorkedValue, ""},
        {"sc.ms,us", 75'000'000'000, "15.000,000 "},
        {"us.ns", 15'333, " 15.333 "},
        {"ms,us,ns", 0, "  0,000,000 "},
        // Under a second the units down to the seconds are zeros: the same
        // text as for any other value, on each side of the second.
        {"hr:mn:sc.ms,us,ns", 999'999'999, " 0:00:00.999,999,999 "},
        {"hr:mn:sc.ms,us,ns", 1'000'000'000, " 0:00:01.000,000,000 "},
        {"hr:mn:sc.ms,us,ns", 0, " 0:00:00.000,000,000 "},
        {"sc.ms,us", 7'654'321, " 0.007,654 "},
        {"MN:SCus", 42'000, " 0:00042 "},
        {"hrXsc", 1, " 0X00 "},
        {"sc", 999'999'999, " 0 "},
        {"sc..ms", 5'000'000, " 0."},
    };
    for (const TimeRow& row : rows) {
        EXPECT_EQ(Time(row.value, row.format), row.written) << "format '" << row.format << "'";
    }
}

TEST(WriteTime, UnitsAreTriedOnceInFixedOrderAtTheCursor) {
    const TimeRow rows[] = {
        {"ms:sc", kWorkedValue, "  4:"},        // sc comes before ms: not seen again
        {"", kWorkedValue, ""},
        {" sc", kWorkedValue, ""},              // nothing but a unit at the start
        {"s", kWorkedValue, ""},                // half a name at the end
        {"hr", kWorkedValue, " 1 "},
        {"hrXsc", kWorkedValue, " 1X03 "},      // any character separates hours
        {"sc.ms trailing", kWorkedValue, " 3.004 "},
        {"hR|Mn|sC|mS|Us|nS", kWorkedValue, " 1|02|03|004|005|006 "},
        {"usns", kWorkedValue, "  5006 "},
        {"sc", 59'999'999'999, "59 "},          // cut off, not rounded
        {"hr:mn", 100 * 3'600'000'000'000 + 60'000'000'000, "100:01 "},  // hours not reduced
    };
    for (const TimeRow& row : rows) {
        EXPECT_EQ(Time(row.value, row.format), row.written) << "format '" << row.format << "'";
    }
}

TEST(WriteTime, NegativeValuesCarryTheSignBeforeTheFirstDigit) {
    const TimeRow rows[] = {
        {"us.ns", -15'333, "-15.333 "},
        {"ms", -4'000'000, " -4 "},
        {"ms,us", -500'000, " -0,500 "},
        {"sc.ms", -12'000'000'000, "-12.000 "},                    // digits fill: one more character
        {"ms", -123'000'000, "-123 "},
        {"hr:mn", -(100 * 3'600'000'000'000), "-100:00 "},
        {"ns", -1, " -1 "},
        {"sc..ms", -3'004'000'000, "-3."},
        {"xyz", -1, ""},
        {"hr:mn:sc.ms,us,ns", kMin, "-2562047:47:16.854,775,808 "},  // magnitude 2^63
        {"hr:mn:sc.ms,us,ns", kMax, "2562047:47:16.854,775,807 "},
    };
    for (const TimeRow& row : rows) {
        EXPECT_EQ(Time(row.value, row.format), row.written)
            << "format '" << row.format << "' value " << row.value;
    }
}

struct GraphRow {
    std::uint8_t width;
    std::int64_t value;
    std::int64_t fullScale;
    const char* drawn;
};

TEST(WriteGraph, WorkedBars) {
    const GraphRow rows[] = {
        {10, 0, 100'000, "         |"},
        {10, 5'000, 100'000, "         |"},
        {10, 25'000, 100'000, "..       |"},
        {10, 99'999, 100'000, ".........|"},
        {10, 100'000, 100'000, ".........."},
        {10, 100'001, 100'000, "*        *"},
        {5, 0, 100'000, "    |"},
        {5, 60'000, 100'000, "... |"},
        {5, 100'000, 100'000, "....."},
        {5, 100'001, 100'000, "*   *"},
    };
    for (const GraphRow& row : rows) {
        EXPECT_EQ(Graph(row.width, row.value, row.fullScale), row.drawn)
            << "w " << int{row.width} << " v " << row.value << " F " << row.fullScale;
    }
}

TEST(WriteGraph, NegativeValuesAndFullScalesNeverBreakTheBar) {
    const GraphRow rows[] = {
        {10, -1, 100'000, "         |"},
        {10, -10'000, 100'000, "         |"},                // at -F/w: drawn as zero
        {10, kMin, 100'000, "         |"},
        {10, 0, 0, "         |"},                            // zero full scale: no division
        {10, -5, 0, "         |"},
        {10, 1, 0, "*        *"},                            // above it: the overflow mark
        {10, -10, -5, "         |"},
        {10, -1, -5, "*        *"},                            // above a negative full scale
        {10, kMin, kMin, "         |"},
    };
    for (const GraphRow& row : rows) {
        EXPECT_EQ(Graph(row.width, row.value, row.fullScale), row.drawn)
            << "v " << row.value << " F " << row.fullScale;
    }
    // v x w needs 128 bits
    EXPECT_EQ(Graph(100, kMax, kMax), std::string(100, '.'));
    EXPECT_EQ(Graph(100, kMax - 1, kMax), std::string(99, '.') + "|");
    EXPECT_EQ(Graph(100, kMax / 2, kMax), std::string(49, '.') + std::string(50, ' ') + "|");
    // Either side of the width written by the short copies.
    EXPECT_EQ(Graph(32, 999, 1000), std::string(31, '.') + "|");
    EXPECT_EQ(Graph(33, 1000, 1000), std::string(33, '.'));
    EXPECT_EQ(Graph(33, 1, 1000), std::string(32, ' ') + "|");
}

// The option reader's reciprocal must give the bar the division gives,
// at every width, at the ends of the scale and across large values.
TEST(WriteGraph, ReciprocalDrawsWhatTheDivisionDraws) {
    std::mt19937_64 random(5);
    const std::int64_t scales[] = {1, 2, 3, 7, 1'000, 100'000, 1'000'000, 999'999'937, kMax / 101, kMax / 2, kMax};
    for (std::int64_t scale : scales) {
        for (int i = 0; i < 400; ++i) {
            const auto width = static_cast<std::uint8_t>(5 + i % 96);
            std::int64_t value = i < 4 ? scale - i : static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(scale)) + 1;
            std::string text;
            TextOut out;
            OpenTextOutMemory(out, &text);
            WriteGraph(out, width, value, scale, GraphReciprocalOf(scale));
            FlushTextOut(out);
            ASSERT_EQ(text, Graph(width, value, scale)) << "w " << int{width} << " v " << value << " F " << scale;
        }
    }
}

TEST(WriteGraph, EveryBarIsExactlyItsWidth) {
    for (unsigned width : {1u, 2u, 5u, 37u, 100u, 255u}) {
        for (std::int64_t value : {kMin, std::int64_t{-1}, std::int64_t{0}, std::int64_t{333},
                                   std::int64_t{1'000}, std::int64_t{1'001}, kMax}) {
            EXPECT_EQ(Graph(static_cast<std::uint8_t>(width), value, 1'000).size(), width)
                << "w " << width << " v " << value;
        }
    }
    EXPECT_EQ(Graph(0, 5, 10), "");
}

// A state as ComputeFrameTiming leaves it, at 12 Mbit/s.
TimingState FrameAt(std::uint64_t stamp, const FrameTiming& times) {
    TimingState timing;
    EXPECT_TRUE(SelectBaudTiming(8, timing));
    timing.PrevFrameStart = stamp;
    timing.Current = times;
    return timing;
}

TEST(WriteTimeColumns, WholeLineTimePart) {
    DisplayOptions options;
    SetTimeFormat(options.TmeAbs, "sc.ms");
    options.GrphGap = GraphSpec{10, 100'000};
    TimingState timing;
    ASSERT_TRUE(SelectBaudTiming(8, timing));
    // 3,004,000,000 ns is 144,192,000 ticks; the frame before is 6 bytes
    // (264 ticks) long and ended 1,200 ticks (25,000 ns) earlier.
    ComputeFrameTiming(timing, true, 144'190'536, 144'192'000, 6);
    ComputeFrameTiming(timing, false, 144'192'000, 144'300'000, 6);
    EXPECT_EQ(TimeColumns(options, timing), "a 3.004 g..       |");
}

TEST(WriteTimeColumns, EveryColumnWithItsLabelInOrder) {
    DisplayOptions options;
    SetTimeFormat(options.TmeAbs, "ms");
    SetTimeFormat(options.TmeDelta, "us");
    SetTimeFormat(options.TmeGap, "ns");
    SetTimeFormat(options.TmeGapAft, "sc");
    options.GrphDelta = GraphSpec{5, 100};
    options.GrphGap = GraphSpec{6, 100};
    options.GrphGapAft = GraphSpec{7, 100};
    TimingState timing = FrameAt(7, FrameTiming{9'000'000, 40'000, 50, 2'000'000'000});
    timing.FirstLine = false;
    EXPECT_EQ(TimeColumns(options, timing),
              "a  9 d 40 d*   *g 50 g...  |ga 2 ga*     *");
}

TEST(WriteTimeColumns, FirstLineShowsNoDeltaAndLaterLinesRunFromTheLastLine) {
    DisplayOptions options;
    SetTimeFormat(options.TmeDelta, "us");
    TimingState timing;
    ASSERT_TRUE(SelectBaudTiming(8, timing));
    // Frames read but not written before the first line do not count.
    ComputeFrameTiming(timing, true, 0, 4'800, 0);
    ComputeFrameTiming(timing, false, 4'800, 9'600, 0);
    ASSERT_EQ(timing.Current.DeltaTime, 0);  // no line yet
    EXPECT_EQ(TimeColumns(options, timing), "d  0 ");
    EXPECT_FALSE(timing.FirstLine);
    EXPECT_EQ(timing.Current.DeltaTime, 0);
    EXPECT_EQ(timing.PrevLineStart, 4'800u);
    // A frame read and not written, then one written: its delta runs from
    // the start of the last line written.
    ComputeFrameTiming(timing, false, 9'600, 14'400, 0);
    ComputeFrameTiming(timing, false, 14'400, 19'200, 0);
    EXPECT_EQ(TimeColumns(options, timing), "d200 ");
    EXPECT_EQ(timing.PrevLineStart, 14'400u);
}

TEST(WriteTimeColumns, NoColumnsWritesNothingButClosesTheLine) {
    DisplayOptions options;
    TimingState timing = FrameAt(1'234, FrameTiming{1, 2, 3, 4});
    EXPECT_EQ(TimeColumns(options, timing), "");
    EXPECT_FALSE(timing.FirstLine);
    EXPECT_EQ(timing.PrevLineStart, 1'234u);
}

TEST(WriteTimeColumns, UnrecognisedFormatWritesOnlyItsLabel) {
    DisplayOptions options;
    SetTimeFormat(options.TmeGap, "gap");
    TimingState timing = FrameAt(1, FrameTiming{1, 2, 3, 4});
    EXPECT_EQ(TimeColumns(options, timing), "g");
}

}  // namespace
}  // namespace zelmot
