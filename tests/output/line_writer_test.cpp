// The line writer: a whole frame line in its column order, and the notes
// and closing texts between the lines.
#include <gtest/gtest.h>

#include <cstring>

#include "output/line_writer.h"
#include "support/collect_text.h"

namespace zelmot {
namespace {

// SD1 from 2 to 5, FC 0x49, read at file offset 0x1234.
CaptureFrame Sd1Frame() {
    CaptureFrame frame;
    const std::uint8_t bytes[] = {0x10, 0x05, 0x02, 0x49, 0x50, 0x16, 0x00};
    std::memcpy(frame.Bytes.data(), bytes, sizeof bytes);
    frame.Length = 6;
    frame.FileOffset = 0x1234;
    return frame;
}

TEST(LineWriter, FrameLineColumnsInOrder) {
    struct Case {
        const char* name;
        bool showFileOfs, noRef, absTime;
        const char* line;
    };
    const Case cases[] = {
        {"plain", false, false, false, "       12:  SD1   5<2   RFDL       ED \n"},
        {"offset", true, false, false, "00001234:        12:  SD1   5<2   RFDL       ED \n"},
        {"offset, no ref", true, true, false, "00001234:  SD1   5<2   RFDL       ED \n"},
        {"time", false, false, true, "       12: a 3.004  SD1   5<2   RFDL       ED \n"},
    };
    FrameTiming timing;
    timing.AbsTime = 3'004'000'000;
    for (const Case& c : cases) {
        DisplayOptions options;
        options.ShowFileOfs = c.showFileOfs;
        options.NoRef = c.noRef;
        if (c.absTime) std::strcpy(options.TmeAbs.Text, "sc.ms");
        std::string line = test::CollectText(
            [&](TextOut& out) { WriteFrameLine(out, options, Sd1Frame(), 12, timing); });
        EXPECT_EQ(line, c.line) << c.name;
    }
}

TEST(LineWriter, NotesBetweenTheLines) {
    std::string text = test::CollectText([](TextOut& out) {
        WriteFileLine(out, "logs/line1231.Zelmot");
        WriteSyncLostNote(out, SyncLostNote{812, 0x1a2b, 0x3f});
        PutText(out, kLastReferenceText);
    });
    EXPECT_EQ(text,
              "File      : logs/line1231.Zelmot\n"
              "**** Synchronization Lost ****\n      812: FileOfs=1a2b Mark=3f\n"
              "\nLast Reference Reached\n");
}

}  // namespace
}  // namespace zelmot
