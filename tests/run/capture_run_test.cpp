// The run of a capture through a counting sink: what reaches the sink in
// which order, how the window places frames, what the selection keeps,
// how the run ends, and which of its times a frame gets.
#include <gtest/gtest.h>

#include <algorithm>

#include "filter/filter_test_support.h"
#include "run/capture_run.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::Bytes;

// Everything a sink is told, as one line of text per call.
struct Tally {
    std::vector<std::string> Calls;
    std::uint32_t StopAfter = 0;  // the sink stops the run at this frame (0: never)
};

void TallyHeader(Tally& t, const CaptureHeader&) { t.Calls.push_back("header"); }
void TallyFile(Tally& t, const std::string& name) { t.Calls.push_back("file " + name.substr(name.size() - 14)); }
void TallyStart(Tally& t, const CaptureHeader&, const BaudTiming& baud) {
    t.Calls.push_back("started " + std::to_string(baud.TicksPerBit));
}
void TallyLost(Tally& t, const SyncLostNote& note) {
    t.Calls.push_back("lost after " + std::to_string(note.ReferenceNumber));
}
bool TallyFrame(Tally& t, const RunFrame& f) {
    static const char* const kPlaces[] = {"before", "inside", "past"};
    t.Calls.push_back(std::to_string(f.ReferenceNumber) + " " + kPlaces[static_cast<int>(f.Place)] +
                      (f.Selected ? " selected" : "") + " at " + std::to_string(f.Timing->AbsTime));
    return f.ReferenceNumber != t.StopAfter;
}

RunSink CountingSink(Tally& tally, bool everyFrame) {
    RunSink sink = SinkOf(tally, everyFrame);
    sink.HeaderRead = SinkCall<TallyHeader>::Call;
    sink.FileOpened = SinkCall<TallyFile>::Call;
    sink.Started = SinkCall<TallyStart>::Call;
    sink.SyncLost = SinkCall<TallyLost>::Call;
    sink.Frame = SinkCall<TallyFrame>::Call;
    return sink;
}

// Five SD1 frames 1,000 ticks (20.833 us at 12 Mbit/s) apart, the third
// with a receive error, split over two minute files after the second.
struct TwoFiles {
    test::TempDir Dir;
    TwoFiles() {
        Bytes stream;
        std::size_t cut = 0;
        for (int i = 0; i < 6; ++i) {
            if (i == 2) cut = stream.size();
            test::Append(stream, test::RecordBytes(48000u + 1000u * i, test::Sd1(5, 2, 0x49), i == 2 ? 0x40 : 0));
        }
        test::WriteCaptureRun(Dir.Path("cap"), 12, 59, test::SplitIntoFiles(stream, {cut}));
    }
    RunSpec Plan() const {
        RunSpec runSpec;
        runSpec.Files.CaptureBaseName = Dir.Path("cap");
        runSpec.Files.StartHour = 12;
        runSpec.Files.StartMinute = 59;
        runSpec.Files.NumMin = 2;
        return runSpec;
    }
};

std::string Joined(const std::vector<std::string>& calls) {
    std::string text;
    for (const std::string& call : calls) text += call + "\n";
    return text;
}

TEST(CaptureRun, HandsTheSinkEventsFramesAndTheEnd) {
    TwoFiles capture;
    struct Case {
        const char* What;
        std::uint32_t StartRef, EndRef;
        bool SkipDamaged, EveryFrame;
        std::uint32_t StopAfter;
        RunEnd End;
        const char* Calls;
    };
    // The record header after frame 2 lies in the second file: its File
    // event comes before frame 2 is handed on.
    const Case cases[] = {
        {"all frames", 0, 0xFFFFFFFFu, false, false, 0, RunEnd::EndOfCapture,
         "header\nfile cap1259.Zelmot\nstarted 4\n1 inside selected at 1000000\nfile cap1300.Zelmot\n"
         "2 inside selected at 1020833\n3 inside selected at 1041666\n4 inside selected at 1062500\n"
         "5 inside selected at 1083333\n"},
        {"window, selected only", 2, 3, true, false, 0, RunEnd::LastReference,
         "header\nfile cap1259.Zelmot\nstarted 4\nfile cap1300.Zelmot\n2 inside selected at 1020833\n"},
        {"window, every frame", 2, 3, true, true, 0, RunEnd::LastReference,
         "header\nfile cap1259.Zelmot\nstarted 4\n1 before at 1000000\nfile cap1300.Zelmot\n"
         "2 inside selected at 1020833\n3 inside at 1041666\n4 past at 1062500\n"},
        {"StartRef above EndRef reads to StartRef", 4, 2, false, true, 0, RunEnd::LastReference,
         "header\nfile cap1259.Zelmot\nstarted 4\n1 before at 1000000\nfile cap1300.Zelmot\n"
         "2 before at 1020833\n3 before at 1041666\n4 past at 1062500\n"},
        {"the sink stops", 0, 0xFFFFFFFFu, false, false, 2, RunEnd::Stopped,
         "header\nfile cap1259.Zelmot\nstarted 4\n1 inside selected at 1000000\nfile cap1300.Zelmot\n"
         "2 inside selected at 1020833\n"},
    };
    for (const Case& c : cases) {
        RunSpec runSpec = capture.Plan();
        runSpec.StartRef = c.StartRef;
        runSpec.EndRef = c.EndRef;
        runSpec.SkipDamaged = c.SkipDamaged;
        Tally tally;
        tally.StopAfter = c.StopAfter;
        RunResult result = RunCapture(runSpec, CountingSink(tally, c.EveryFrame));
        EXPECT_TRUE(result.Result.IsOk()) << c.What << ": " << result.Result.Text;
        EXPECT_EQ(result.End, c.End) << c.What;
        EXPECT_EQ(result.FilesOpened, 2u) << c.What;
        EXPECT_EQ(Joined(tally.Calls), c.Calls) << c.What;
    }
}

TEST(CaptureRun, FaultsEndTheRunWithTheirMessage) {
    TwoFiles capture;
    test::TempDir other;
    Bytes badHeader = test::CaptureHeaderBytes(9);
    test::Append(badHeader, test::RecordBytes(1, test::Sd1(5, 2, 0x49)));
    test::WriteBytes(other.Path("bad1200.Zelmot"), badHeader);
    test::WriteBytes(other.Path("cut1200.Zelmot"), test::CaptureHeaderBytes());
    const std::string cutName = other.Path("cut1200.Zelmot");
    struct Case {
        const char* What;
        std::string Stem;
        bool NameFile;
        std::string Message;
    };
    const Case cases[] = {
        {"bad baud index", other.Path("bad"), false,
         "Capture File Header Error: Invalid Baud Index 9 (0-8) in " + other.Path("bad1200.Zelmot")},
        {"no records, message as the reader gives it", other.Path("cut"), false,
         "Capture File Sync Error: SYNC_MARK not found"},
        {"no records, the file named", other.Path("cut"), true,
         "Capture File Sync Error: SYNC_MARK not found in " + cutName},
        {"missing file", other.Path("none"), true, "Unable to Open Input File " + other.Path("none1200.Zelmot")},
    };
    for (const Case& c : cases) {
        RunSpec runSpec = capture.Plan();
        runSpec.Files.CaptureBaseName = c.Stem;
        runSpec.Files.StartMinute = 0;
        runSpec.NameFileInErrors = c.NameFile;
        Tally tally;
        RunResult result = RunCapture(runSpec, CountingSink(tally, true));
        EXPECT_EQ(result.End, RunEnd::Failed) << c.What;
        EXPECT_EQ(result.Result.Text, c.Message) << c.What;
    }
}

// The gap after a frame is computed for a program that reads it and, when
// the program says it reads none, still for a filter that reads it: one SD1
// frame at tick 48,000 with the next record at 49,000 (264 ticks on the bus)
// has 736 ticks, 15,333 ns at 12 Mbit/s, after it.
TEST(FrameSteps, TheGapAfterIsComputedWhereverItIsRead) {
    struct Case {
        const char* What;
        bool GapAfterWanted;
        const char* Equation;  // a ShowOnly filter, or null
        std::int64_t GapAfter;
        bool Selected;
    };
    const Case cases[] = {
        {"wanted", true, nullptr, 15'333, true},
        {"not wanted", false, nullptr, 0, true},
        {"not wanted, read by the filter", false, "GapAft > 10#", 15'333, true},
        {"not wanted, the filter's test fails on the real gap", false, "GapAft < 10#", 15'333, false},
    };
    const Bytes bytes = test::Sd1(5, 2, 0x49);
    CaptureFrame frame;
    std::copy(bytes.begin(), bytes.end(), frame.Bytes.begin());
    frame.Length = static_cast<std::uint8_t>(bytes.size());
    frame.Bytes[frame.Length] = 0;
    frame.TimeStamp = 48'000;
    frame.NextTimeStamp = 49'000;
    LocateFrameFields(frame);
    for (const Case& c : cases) {
        FilterState filter;
        RunSpec runSpec;
        runSpec.GapAfterWanted = c.GapAfterWanted;
        if (c.Equation != nullptr) {
            ASSERT_TRUE(test::ReadEquation(c.Equation, filter).IsOk()) << c.What;
            runSpec.Filter = &filter;
        }
        FrameSteps steps;
        ASSERT_TRUE(StartFrameSteps(steps, runSpec, 8));
        const RunFrame& taken = StepFrame(steps, frame);
        EXPECT_EQ(taken.Timing->GapAfterTime, c.GapAfter) << c.What;
        EXPECT_EQ(taken.Selected, c.Selected) << c.What;
    }
}

}  // namespace
}  // namespace zelmot
