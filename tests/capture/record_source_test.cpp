// The reader as a record source: a program that only counts what it pulls,
// as the companion programs use it.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/frame_reader.h"
#include "support/capture_builder.h"
#include "support/pulled_run.h"

namespace zelmot {
namespace {

using test::Bytes;
using test::Sd1Records;

long CountStarting(const test::PulledRun& run, const std::string& word) {
    return std::count_if(run.Log.begin(), run.Log.end(),
                         [&](const std::string& entry) { return entry.rfind(word, 0) == 0; });
}

TEST(RecordSource, EventsArriveBeforeTheFrameTheyPrecede) {
    test::TempDir dir;
    // 120 records, one whose length lies, 120 more; the second file begins
    // inside the fourth record.
    Bytes stream = Sd1Records(120, 1000);
    Bytes bad = test::RecordBytes(200000, test::Sd1(7, 3, 0x5D));
    bad[7] = 3;
    test::Append(stream, bad);
    test::Append(stream, Sd1Records(120, 300000));
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {50}));
    test::PulledRun t = test::PullRun(CaptureRunFiles{dir.Path("cap"), 12, 0, 2, false});
    EXPECT_EQ(t.Last, RecordKind::EndOfCapture);
    EXPECT_EQ(CountStarting(t, "header"), 1);
    EXPECT_EQ(CountStarting(t, "file "), 2);
    EXPECT_EQ(CountStarting(t, "lost "), 1);
    EXPECT_EQ(t.Frames.size(), 240u);  // the last record has no record after it
    const std::vector<std::string> start{"header",     "file cap1200.Zelmot", "frame 1000",
                                         "frame 2000", "file cap1201.Zelmot", "frame 3000"};
    EXPECT_EQ(std::vector<std::string>(t.Log.begin(), t.Log.begin() + 6), start);
    // The frame with the lying length comes after the note of the loss it caused.
    auto lost = std::find_if(t.Log.begin(), t.Log.end(), [](const std::string& e) { return e.rfind("lost ", 0) == 0; });
    ASSERT_NE(lost, t.Log.end());
    EXPECT_EQ(*(lost - 1), "frame 120000");
    EXPECT_EQ(*(lost + 1), "frame 200000");
}

TEST(RecordSource, AllMinutesEndAtTheFirstMissingFileButTheFirstMustExist) {
    test::TempDir dir;
    test::WriteCaptureRun(dir.Path("cap"), 23, 59, test::SplitIntoFiles(Sd1Records(6, 1000), {30, 60}));
    test::PulledRun all = test::PullRun(CaptureRunFiles{dir.Path("cap"), 23, 59, 1440, true});
    EXPECT_EQ(all.Last, RecordKind::EndOfCapture);
    EXPECT_EQ(CountStarting(all, "file "), 3);
    EXPECT_EQ(all.Frames.size(), 5u);
    test::PulledRun counted = test::PullRun(CaptureRunFiles{dir.Path("cap"), 23, 59, 4, false});
    EXPECT_EQ(counted.Last, RecordKind::Error);
    EXPECT_EQ(counted.Message, "Unable to Open Input File " + dir.Path("cap0002.Zelmot"));
    test::PulledRun none = test::PullRun(CaptureRunFiles{dir.Path("nothing"), 12, 0, 1440, true});
    EXPECT_EQ(none.Last, RecordKind::Error);
    EXPECT_EQ(none.Message, "Unable to Open Input File " + dir.Path("nothing1200.Zelmot"));
}

}  // namespace
}  // namespace zelmot
