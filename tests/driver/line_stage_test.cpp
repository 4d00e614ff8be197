// The line stage on its own: frames and event texts of every size in, the
// text the run's own thread would write out, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "driver/line_stage.h"
#include "fdl/fdl_codes.h"
#include "output/line_writer.h"

namespace zelmot {
namespace {

// Frame i: an SD2 frame whose length grows with i (up to 255 bytes), with
// a status now and then; every 997th frame is preceded by an event text,
// one of them larger than a batch's buffer.
template <typename Line, typename Event>
void FeedFrames(Line line, Event event) {
    CaptureFrame frame;
    FrameTiming timing;
    for (std::uint32_t i = 1; i <= 20000; ++i) {
        if (i % 997 == 0) event(std::string(i == 997 * 7 ? kBatchTextBuffer + 4321 : i % 300, 'e') + "\n");
        std::uint8_t count = static_cast<std::uint8_t>(9 + i % 247);
        for (std::size_t b = 0; b < frame.Bytes.size(); ++b) frame.Bytes[b] = static_cast<std::uint8_t>(b * 7 + i);
        frame.Bytes[0] = fdl::SD2;
        frame.Bytes[1] = frame.Bytes[2] = static_cast<std::uint8_t>(count - 6);
        frame.Bytes[3] = fdl::SD2;
        frame.Bytes[count - 1u] = fdl::ED;
        frame.Bytes[count] = i % 13 == 0 ? 0x40 : 0;
        frame.Length = count;
        frame.FileOffset = 40u + 17u * i;
        timing.AbsTime = 1000 * static_cast<std::int64_t>(i);
        timing.GapTime = -static_cast<std::int64_t>(i);
        line(frame, i, timing);
    }
}

TEST(LineStage, WritesWhatTheRunsThreadWouldInOrder) {
    DisplayOptions options;
    options.ShowFileOfs = true;
    options.DataSgn = true;
    SetTimeFormat(options.TmeAbs, "sc.ms,us");
    options.GrphGap = GraphSpec{30, 1000};

    std::string expected;
    TextOut direct;
    OpenTextOutMemory(direct, &expected);
    KeptLineTexts kept;
    FeedFrames([&](const CaptureFrame& f, std::uint32_t n,
                   const FrameTiming& t) { WriteFrameLine(direct, options, f, n, t, kept); },
               [&](const std::string& text) { PutText(direct, text); });
    CloseTextOut(direct);

    // One stage record for both runs: nothing of the first may reach the second.
    LineStage stage;
    for (unsigned workers : {1u, 3u}) {
        std::string staged;
        TextOut out;
        OpenTextOutMemory(out, &staged);
        ASSERT_TRUE(StartLineStage(stage, options, out, workers));
        FeedFrames([&](const CaptureFrame& f, std::uint32_t n, const FrameTiming& t) { AddFrameLine(stage, f, n, t); },
                   [&](const std::string& text) {
                       PutText(EventTextOut(stage), text);
                       AddEventText(stage);
                   });
        FinishLineStage(stage);
        EXPECT_TRUE(stage.Workers.empty());
        EXPECT_TRUE(CloseTextOut(out));
        EXPECT_EQ(staged.size(), expected.size()) << workers << " workers";
        EXPECT_TRUE(staged == expected) << workers << " workers";
    }
}

// Whatever the layout, a batch's estimated text stays above what its lines
// take, so that the ring's memory is bounded by the batches' buffers.
TEST(LineStage, EstimateCoversTheWidestLines) {
    DisplayOptions options;
    options.ShowFileOfs = options.DetailSts = options.ShowFcbTyp = options.ShowFcs = options.DataSgn = true;
    for (TimeFormat* time : {&options.TmeAbs, &options.TmeDelta, &options.TmeGap, &options.TmeGapAft})
        SetTimeFormat(*time, "hr:mn:sc.ms,us,ns");
    for (GraphSpec* graph : {&options.GrphDelta, &options.GrphGap, &options.GrphGapAft}) *graph = GraphSpec{100, 1};
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    FrameTiming extreme{INT64_MAX, INT64_MIN, INT64_MIN + 1, INT64_MAX};
    std::size_t longest = 0;  // the longest line, less its estimate
    std::size_t excess = 0;
    KeptLineTexts kept;
    FeedFrames([&](const CaptureFrame& f, std::uint32_t n, const FrameTiming&) {
                   std::size_t before = text.size() + out.Used;
                   WriteFrameLine(out, options, f, n, extreme, kept);
                   std::size_t chars = text.size() + out.Used - before;
                   std::size_t estimate = LineEstimateOf(options) + kCharsPerFrameByte * (f.Length + 1u);
                   longest = std::max(longest, chars);
                   if (chars > estimate) ++excess;
               },
               [](const std::string&) {});
    CloseTextOut(out);
    EXPECT_GT(longest, 1000u) << "the widest layout was written";
    EXPECT_EQ(excess, 0u);
}

}  // namespace
}  // namespace zelmot
