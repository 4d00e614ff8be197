// The line writer: a whole frame line in its column order, and the notes
// and closing texts between the lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "output/line_writer.h"
#include "support/capture_builder.h"
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
        KeptLineTexts kept;
        options.ShowFileOfs = c.showFileOfs;
        options.NoRef = c.noRef;
        if (c.absTime) SetTimeFormat(options.TmeAbs, "sc.ms");
        std::string line = test::CollectText(
            [&](TextOut& out) { WriteFrameLine(out, options, Sd1Frame(), 12, timing, kept); });
        EXPECT_EQ(line, c.line) << c.name;
    }
}

// Numbers one after the other through one kept record, as the lines write
// them: each as "%9u" would, whatever the record kept before.
TEST(LineWriter, ReferenceNumbersFromKeptThousands) {
    const std::uint32_t numbers[] = {0, 7, 999, 1000, 1001, 1999, 2000, 5, 123'456, 123'457, 999'999, 1'000'000,
                                     1'000'999, 99'999'999, 100'000'000, 999'999'999, 1'000'000'000,
                                     4'294'967'295, 4'294'966'999, 1000};
    KeptThousands kept;
    for (std::uint32_t number : numbers) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%9u", number);
        EXPECT_EQ(test::CollectText([&](TextOut& out) { WriteReferenceNumber(out, number, kept); }), expected)
            << number;
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

TEST(LineWriter, HeaderEchoOfTheFirstFile) {
    struct Case {
        const char* name;
        std::uint16_t baudIndex;
        std::uint32_t address;
        std::string deviceName;  // NUL-ended inside its 32 bytes, or filling them
        const char* equation;
        std::string echo;
    };
    const Case cases[] = {
        {"a name filling its field, an equation", 5, 0xC0A8010A, std::string(32, 'N'), "DA == 5",
         "ZK-9 Name : " + std::string(32, 'N') +
             "\nZK-9 IP   : 192.168.1.10\nBaud      : 1m5\nOpt File  : opts.opt\nShow Only : DA == 5\n\n"},
        {"a name ending at its NUL, no equation", 8, 0x01020304, "ab", "",
         "ZK-9 Name : ab\nZK-9 IP   : 1.2.3.4\nBaud      : 12m\nOpt File  : opts.opt\n\n"},
    };
    for (const Case& c : cases) {
        test::Bytes bytes = test::CaptureHeaderBytes(c.baudIndex, c.address, c.deviceName);
        CaptureHeader header{};
        std::copy(bytes.begin(), bytes.end(), header.begin());
        std::string echo =
            test::CollectText([&](TextOut& out) { WriteHeaderEcho(out, header, "opts.opt", c.equation); });
        EXPECT_EQ(echo, c.echo) << c.name;
    }
}

}  // namespace
}  // namespace zelmot
