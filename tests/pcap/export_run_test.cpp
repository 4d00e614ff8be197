// The export run on captures built byte by byte: which frames become
// packets, their bytes, times, status flags and notes, and how faults end
// the run. The output goes to memory and is read back by the test parser.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pcap/export_run.h"
#include "pcap/link_layer.h"
#include "pcap_file_view.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::Bytes;

// At 12 Mbit/s a tick is 1000/48 ns: 48 ticks are one microsecond.
constexpr std::uint64_t kTicksPerUs = 48;

struct Exported {
    ExportResult Result;
    test::ReadFile File;
};

Exported Export(const std::string& stem, const std::vector<std::string>& words) {
    ExportSettings settings;
    for (const std::string& word : words) EXPECT_TRUE(ParseExportOption(word.c_str(), settings, stderr)) << word;
    DeriveCaptureNames(stem + "1200", settings.Run);
    settings.OutputName = "memory";
    std::string bytes;
    ByteSink sink;
    OpenByteSinkMemory(sink, &bytes);
    Exported e;
    e.Result = RunExportInto(settings, sink);
    e.File = test::ReadPcap(ByteString(bytes.begin(), bytes.end()));
    return e;
}

// Six frames, one microsecond apart from 1 s on, with a status on the
// third; the second file begins with the fifth. The record after the last
// frame only closes it.
struct SmallRun {
    test::TempDir dir;
    std::string stem = dir.Path("cap");
    std::vector<Bytes> frames{test::Sd1(5, 2, 0x49),  test::Sd2(2, 5, 0x08, {0x11, 0x22}), test::Token(2, 1),
                              test::ShortAck(),       test::Sd1(3, 2, 0x5D),              test::Sd1(2, 3, 0x00)};
    SmallRun() {
        Bytes stream;
        std::size_t secondFile = 0;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (i == 4) secondFile = stream.size();
            test::Append(stream, test::RecordBytes((1000000 + i) * kTicksPerUs, frames[i], i == 2 ? 0x42 : 0));
        }
        test::Append(stream, test::RecordBytes(2000000 * kTicksPerUs, test::Sd1(1, 1, 0x49)));
        test::WriteCaptureRun(stem, 12, 0, test::SplitIntoFiles(stream, {secondFile}));
    }
};

TEST(ExportRun, EveryFrameBecomesOnePacketWithItsTimeStatusAndNotes) {
    SmallRun run;
    for (const char* link : {"Link=profibus", "Link=user0"}) {
        const bool user0 = link[5] == 'u';
        Exported e = Export(run.stem, {"NumMin=2", link});
        ASSERT_TRUE(e.Result.Result.IsOk()) << e.Result.Result.Text;
        ASSERT_TRUE(e.File.Valid);
        EXPECT_EQ(e.File.LinkType, user0 ? 147 : 257);
        EXPECT_EQ(e.File.UserAppl.rfind("zelmot2pcap ", 0), 0u);
        ASSERT_EQ(e.File.Packets.size(), run.frames.size()) << link;
        EXPECT_EQ(e.Result.PacketsWritten, run.frames.size());
        for (std::size_t i = 0; i < run.frames.size(); ++i) {
            const test::ReadPacket& p = e.File.Packets[i];
            const std::uint8_t status = i == 2 ? 0x42 : 0;
            // The next file is opened while the header after the fourth
            // frame is read ahead: the fourth frame carries that note.
            const std::uint8_t notes = i == 0 || i == 3 ? kNoteNewFile : 0;
            Bytes expected = user0 ? Bytes{1, 4, status, notes} : Bytes{};
            test::Append(expected, run.frames[i]);
            EXPECT_EQ(p.Bytes, expected) << link << " packet " << i;
            EXPECT_EQ(p.TimeNs, (1000000 + i) * 1000) << i;
            EXPECT_EQ(p.Flags, status ? (1u << 31 | 1u << 24) : 0u) << i;
        }
        EXPECT_EQ(e.File.Packets[0].Comments, std::vector<std::string>{"File      : " + run.stem + "1200.Zelmot"});
        EXPECT_EQ(e.File.Packets[2].Comments, std::vector<std::string>{"Status 0x42 .p....c."});
        EXPECT_EQ(e.File.Packets[3].Comments, std::vector<std::string>{"File      : " + run.stem + "1201.Zelmot"});
    }
}

TEST(ExportRun, ALostRecordBoundaryIsNotedOnTheNextPacket) {
    test::TempDir dir;
    Bytes stream;
    for (std::uint64_t i = 0; i < 100; ++i) test::Append(stream, test::RecordBytes(i * 1000, test::Sd1(5, 2, 0x49)));
    Bytes liar = test::RecordBytes(300000, test::Sd1(7, 3, 0x5D));
    liar[7] = 3;  // three of its six bytes
    test::Append(stream, liar);
    for (std::uint64_t i = 0; i < 100; ++i) test::Append(stream, test::RecordBytes(400000 + i * 1000, test::Token(2, 1)));
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {}));
    Exported e = Export(dir.Path("cap"), {"Link=user0"});
    ASSERT_TRUE(e.Result.Result.IsOk()) << e.Result.Result.Text;
    // 100 frames, the liar's three bytes, 99 tokens. The lost boundary is
    // found while the header after the liar is read ahead: the liar carries
    // the note, as the converter writes it before the liar's line.
    ASSERT_EQ(e.File.Packets.size(), 200u);
    // Its status byte is the fourth byte of its frame.
    EXPECT_EQ(e.File.Packets[100].Bytes, (Bytes{1, 4, 0x5D, kNoteSyncLost, 0x10, 0x07, 0x03}));
    for (std::size_t i = 0; i < 200; ++i) {
        const bool after = i == 100;
        EXPECT_EQ(e.File.Packets[i].Bytes[3], i == 0 ? kNoteNewFile : after ? kNoteSyncLost : 0) << i;
        if (!after) continue;
        ASSERT_EQ(e.File.Packets[i].Comments.size(), 2u);
        EXPECT_EQ(e.File.Packets[i].Comments[1], "Status 0x5d s.dru.c.");
        EXPECT_EQ(e.File.Packets[i].Comments[0].rfind("**** Synchronization Lost **** after frame 100: FileOfs=", 0), 0u)
            << e.File.Packets[i].Comments[0];
    }
}

TEST(ExportRun, WindowFilterAndStartChooseAndShiftThePackets) {
    SmallRun run;
    test::WriteText(run.dir.Path("sa2.opt"), "ShowOnly\nSA == CmdArg[0]\n#\n");
    test::WriteText(run.dir.Path("none.opt"), "DetailSts\n");
    const std::string sa2 = "Filter=" + run.dir.Path("sa2");
    const struct {
        std::vector<std::string> words;
        std::vector<std::size_t> frames;  // indices into SmallRun::frames
        std::uint64_t firstTimeNs;
    } cases[] = {
        {{"NumMin=2", "StartRef=2", "EndRef=4"}, {1, 2, 3}, 1000001000},
        {{"NumMin=all", "EndRef=1"}, {0}, 1000000000},
        {{"NumMin=2", sa2, "Arg0=2"}, {0, 4}, 1000000000},
        {{"NumMin=2", sa2, "Arg0=3"}, {5}, 1000005000},
        {{"NumMin=2", "Filter=" + run.dir.Path("none")}, {0, 1, 2, 3, 4, 5}, 1000000000},
        {{"NumMin=2", "StartRef=3", "Start=2026-12-08T12:00:00"}, {2, 3, 4, 5}, 1796731200000000000},
        {{"NumMin=2", "StartRef=7"}, {}, 0},
    };
    for (const auto& c : cases) {
        Exported e = Export(run.stem, c.words);
        ASSERT_TRUE(e.Result.Result.IsOk()) << e.Result.Result.Text;
        ASSERT_TRUE(e.File.Valid);
        ASSERT_EQ(e.File.Packets.size(), c.frames.size()) << c.words.back();
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            EXPECT_EQ(e.File.Packets[i].Bytes, run.frames[c.frames[i]]) << c.words.back();
            // The first packet lies at firstTimeNs, the others keep their distance to it.
            EXPECT_EQ(e.File.Packets[i].TimeNs, c.firstTimeNs + (c.frames[i] - c.frames[0]) * 1000);
        }
    }
}

TEST(ExportRun, ABadFilterFileEndsTheRunBeforeAnyFrame) {
    SmallRun run;
    test::WriteText(run.dir.Path("bad.opt"), "ShowOnly\nSA == = 2\n#\n");
    Exported bad = Export(run.stem, {"Filter=" + run.dir.Path("bad")});
    EXPECT_TRUE(bad.Result.Result.IsError());
    EXPECT_EQ(bad.Result.FramesRead, 0u);
    EXPECT_TRUE(bad.File.Packets.empty());
}

}  // namespace
}  // namespace zelmot
