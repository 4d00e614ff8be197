// The reader as a record source: a program that only counts what it pulls,
// as the companion programs use it.
#include <gtest/gtest.h>

#include "capture/frame_reader.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::Bytes;

struct Tally {
    int frames = 0, headers = 0, files = 0, lost = 0;
    std::uint64_t bytes = 0;
    std::vector<std::string> order;  // event kinds and frame stamps as pulled
    RecordKind last = RecordKind::Frame;
    std::string message;
};

Tally CountRun(CaptureRunFiles files) {
    CaptureReader reader;
    StartCaptureReader(reader, std::move(files));
    Tally t;
    for (;;) {
        t.last = PullRecord(reader);
        if (t.last == RecordKind::Frame) {
            ++t.frames;
            t.bytes += reader.Frame.Length;
            t.order.push_back(std::to_string(reader.Frame.TimeStamp));
            continue;
        }
        if (t.last == RecordKind::HeaderRead) ++t.headers, t.order.push_back("header");
        if (t.last == RecordKind::FileOpened) ++t.files, t.order.push_back("file");
        if (t.last == RecordKind::SyncLost) ++t.lost, t.order.push_back("lost");
        if (t.last == RecordKind::EndOfCapture || t.last == RecordKind::Error) break;
    }
    t.message = reader.Event.Text;
    // The end repeats on every later pull.
    EXPECT_EQ(PullRecord(reader), t.last);
    CloseCaptureReader(reader);
    return t;
}

Bytes Records(int n, std::uint64_t firstStamp) {
    Bytes stream;
    for (int i = 0; i < n; ++i)
        test::Append(stream, test::RecordBytes(firstStamp + 1000u * i, test::Sd1(5, 2, 0x49)));
    return stream;
}

TEST(RecordSource, EventsArriveBeforeTheFrameTheyPrecede) {
    test::TempDir dir;
    // 120 records, one whose length lies, 120 more; the second file begins
    // inside the fourth record.
    Bytes stream = Records(120, 1000);
    Bytes bad = test::RecordBytes(200000, test::Sd1(7, 3, 0x5D));
    bad[7] = 3;
    test::Append(stream, bad);
    test::Append(stream, Records(120, 300000));
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {50}));
    Tally t = CountRun(CaptureRunFiles{dir.Path("cap"), 12, 0, 2, false});
    EXPECT_EQ(t.last, RecordKind::EndOfCapture);
    EXPECT_EQ(t.headers, 1);
    EXPECT_EQ(t.files, 2);
    EXPECT_EQ(t.lost, 1);
    EXPECT_EQ(t.frames, 240);  // the last record has no record after it
    const std::vector<std::string> start{"header", "file", "1000", "2000", "file", "3000"};
    EXPECT_EQ(std::vector<std::string>(t.order.begin(), t.order.begin() + 6), start);
    // The frame with the lying length comes after the note of the loss it caused.
    auto lost = std::find(t.order.begin(), t.order.end(), "lost");
    ASSERT_NE(lost, t.order.end());
    EXPECT_EQ(*(lost - 1), "120000");
    EXPECT_EQ(*(lost + 1), "200000");
}

TEST(RecordSource, AllMinutesEndAtTheFirstMissingFileButTheFirstMustExist) {
    test::TempDir dir;
    test::WriteCaptureRun(dir.Path("cap"), 23, 59, test::SplitIntoFiles(Records(6, 1000), {30, 60}));
    Tally all = CountRun(CaptureRunFiles{dir.Path("cap"), 23, 59, 1440, true});
    EXPECT_EQ(all.last, RecordKind::EndOfCapture);
    EXPECT_EQ(all.files, 3);
    EXPECT_EQ(all.frames, 5);
    Tally counted = CountRun(CaptureRunFiles{dir.Path("cap"), 23, 59, 4, false});
    EXPECT_EQ(counted.last, RecordKind::Error);
    EXPECT_EQ(counted.message, "Unable to Open Input File " + dir.Path("cap0002.Zelmot"));
    Tally none = CountRun(CaptureRunFiles{dir.Path("nothing"), 12, 0, 1440, true});
    EXPECT_EQ(none.last, RecordKind::Error);
    EXPECT_EQ(none.message, "Unable to Open Input File " + dir.Path("nothing1200.Zelmot"));
}

}  // namespace
}  // namespace zelmot
