// The frame reader against capture files built byte by byte: sync search,
// record stream across files, look-ahead, resynchronisation and its notes.
#include <gtest/gtest.h>

#include "capture/frame_reader.h"
#include "output/line_writer.h"
#include "support/capture_builder.h"
#include "support/format_text.h"

namespace zelmot {
namespace {

using test::Bytes;

// Drives the reader step by step and renders its events as the run does.
struct ReaderFixture : ::testing::Test {
    test::TempDir dir;
    std::string text;
    TextOut out;
    CaptureReader reader;
    const CaptureFrame& frame = reader.Frame;
    std::string equationText;
    bool first = true;

    void Start(unsigned hour, unsigned minute, unsigned numMin, std::string equation = "") {
        OpenTextOutMemory(out, &text);
        StartCaptureReader(reader, CaptureRunFiles{dir.Path("cap"), hour, minute, numMin, false});
        equationText = std::move(equation);
    }
    void WriteRun(unsigned hour, unsigned minute, const std::vector<Bytes>& files) {
        test::WriteCaptureRun(dir.Path("cap"), hour, minute, files);
    }
    // Writes the events a step queued, as the run writes them.
    void Render() {
        for (; reader.QueueCount > 0; --reader.QueueCount) {
            const ReaderEvent& event = reader.Queue[reader.QueueHead];
            reader.QueueHead = (reader.QueueHead + 1) % kReaderEventQueueSize;
            if (event.Kind == RecordKind::HeaderRead) WriteHeaderEcho(out, event.Header, "opts.opt", equationText);
            if (event.Kind == RecordKind::FileOpened) WriteFileLine(out, event.Text);
            if (event.Kind == RecordKind::SyncLost) WriteSyncLostNote(out, event.SyncLost);
        }
    }
    // Opens the first file and syncs.
    Outcome OpenAndSync() {
        Outcome opened = OpenNextCaptureFile(reader);
        Render();
        if (!opened.IsOk()) return opened;
        return SyncToRecords(reader);
    }
    Outcome Next() {
        Outcome read = ReadFrame(reader, first);
        Render();
        if (read.IsOk()) {
            first = false;
            ++reader.FramesDelivered;
        }
        return read;
    }
    std::string Text() {
        FlushTextOut(out);
        return text;
    }
    ~ReaderFixture() override { CloseCaptureReader(reader); }
};

// n SD1 frames with stamps 1000, 2000, ...
Bytes Records(int n, std::uint64_t firstStamp = 1000) {
    Bytes stream;
    for (int i = 0; i < n; ++i)
        test::Append(stream, test::RecordBytes(firstStamp + 1000u * i, test::Sd1(5, 2, 0x49)));
    return stream;
}

Bytes Strays(std::size_t n, std::uint8_t value = 0x55) { return Bytes(n, value); }

TEST_F(ReaderFixture, EchoesTheFirstHeaderAndAFileLinePerFile) {
    Bytes header = test::CaptureHeaderBytes(5, 0xC0A8010A, std::string(32, 'N'));
    WriteRun(23, 59, test::SplitIntoFiles(Records(5), {30}, header));
    Start(23, 59, 2, "DA == 5");
    ASSERT_TRUE(OpenAndSync().IsOk());
    while (Next().IsOk()) {
    }
    std::string expected = "ZK-9 Name : " + std::string(32, 'N') +
                           "\nZK-9 IP   : 192.168.1.10\nBaud      : 1m5\nOpt File  : opts.opt\n"
                           "Show Only : DA == 5\n\nFile      : " +
                           dir.Path("cap2359.Zelmot") + "\nFile      : " + dir.Path("cap0000.Zelmot") + "\n";
    EXPECT_EQ(Text(), expected);
}

TEST_F(ReaderFixture, ShowOnlyLineOnlyWithAnEquationAndDeviceNameEndsAtNul) {
    WriteRun(12, 0, {test::SplitIntoFiles(Records(3), {}, test::CaptureHeaderBytes(8, 0x01020304, "ab"))});
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    EXPECT_EQ(Text(), "ZK-9 Name : ab\nZK-9 IP   : 1.2.3.4\nBaud      : 12m\nOpt File  : opts.opt\n\nFile      : " +
                          dir.Path("cap1200.Zelmot") + "\n");
}

TEST_F(ReaderFixture, DeliversFramesWithTheNextStampAndNeverTheLast) {
    WriteRun(12, 0, test::SplitIntoFiles(Records(4), {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> stamps;
    Outcome read;
    while ((read = Next()).IsOk()) stamps.emplace_back(frame.TimeStamp, frame.NextTimeStamp);
    EXPECT_TRUE(read.IsEnd());
    ASSERT_EQ(stamps.size(), 3u);
    EXPECT_EQ(stamps[0], std::make_pair(std::uint64_t{1000}, std::uint64_t{2000}));
    EXPECT_EQ(stamps[2], std::make_pair(std::uint64_t{3000}, std::uint64_t{4000}));
    EXPECT_EQ(frame.Length, 6);
    EXPECT_EQ(frame.Status, 0);
}

TEST_F(ReaderFixture, ASingleRecordYieldsNoFrame) {
    WriteRun(12, 0, test::SplitIntoFiles(Records(1), {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    EXPECT_TRUE(Next().IsEnd());
}

TEST_F(ReaderFixture, TimeStampIsFortyEightBitLittleEndian) {
    Bytes stream = test::RecordBytes(0x060504030201ull, {0x10, 1, 2});
    test::Append(stream, test::RecordBytes(0xFFFFFFFFFFFFull, {}));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    ASSERT_TRUE(Next().IsOk());
    EXPECT_EQ(frame.TimeStamp, 0x060504030201ull);
    EXPECT_EQ(frame.NextTimeStamp, 0xFFFFFFFFFFFFull);
    EXPECT_EQ(frame.Length, 3);
}

struct SyncCase {
    const char* name;
    std::size_t strays;
    bool ok;
    const char* message;
};

class SyncSearch : public ReaderFixture, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(SyncSearch, FindsTheFirstRecordWithin280StrayBytes) {
    const SyncCase& c = GetParam();
    Bytes stream = Strays(c.strays);
    test::Append(stream, Records(3));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    Outcome synced = OpenAndSync();
    EXPECT_EQ(synced.IsOk(), c.ok);
    if (c.ok) {
        EXPECT_EQ(CapturePosition(reader), 40 + c.strays);
    } else {
        EXPECT_EQ(synced.Text, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Strays, SyncSearch,
    ::testing::Values(SyncCase{"none", 0, true, ""}, SyncCase{"some", 17, true, ""},
                      SyncCase{"at279", 279, true, ""},
                      SyncCase{"at280", 280, false, "Capture File Sync Error: SYNC_MARK not found"},
                      SyncCase{"many", 1000, false, "Capture File Sync Error: SYNC_MARK not found"}),
    [](const ::testing::TestParamInfo<SyncCase>& param) { return std::string(param.param.name); });

TEST_F(ReaderFixture, HeaderOnlyFileHasNoSyncMarkWhateverFollows) {
    WriteRun(12, 0, {test::CaptureHeaderBytes(), test::SplitIntoFiles(Records(5), {})[0]});
    Start(12, 0, 2);
    EXPECT_EQ(OpenAndSync().Text, "Capture File Sync Error: SYNC_MARK not found");
}

TEST_F(ReaderFixture, FalseCandidateIsRejectedAndTheSearchGoesOn) {
    // A 0xDD whose "record" is followed by a byte that is no sync mark.
    Bytes stream{0x01, kSyncMark, 1, 2, 3, 4, 5, 6, 0, 0x42, 0x77, 0x00};
    std::size_t real = stream.size();
    test::Append(stream, Records(150));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    EXPECT_EQ(CapturePosition(reader), 40 + real);
}

TEST_F(ReaderFixture, FewRecordsStillSynchroniseAndACutHeaderIsJudgedByItsBytes) {
    Bytes stream = Records(3);
    stream.push_back(kSyncMark);  // a record header cut short by the end of the file
    stream.push_back(0x01);
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    EXPECT_EQ(CapturePosition(reader), 40u);
}

TEST_F(ReaderFixture, UnableToSyncAfter280RejectedCandidates) {
    // 0xDD bytes each followed by a non-record byte where the next header would be.
    Bytes stream;
    for (int i = 0; i < 300; ++i) {
        Bytes fake{kSyncMark, 0, 0, 0, 0, 0, 0, 0, 0x00};  // length 0, status: next header at +9
        test::Append(stream, fake);
        stream.push_back(0x11);
    }
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    EXPECT_EQ(OpenAndSync().Text, "Capture File Sync Error: Unable to Sync");
}

// Records whose stamps are given one by one.
Bytes RecordsStamped(const std::vector<std::uint64_t>& stamps) {
    Bytes stream;
    for (std::uint64_t stamp : stamps) test::Append(stream, test::RecordBytes(stamp, test::Sd1(5, 2, 0x49)));
    return stream;
}

// n stamps rising by 1000, falling by a million at record fallAt (0: never).
std::vector<std::uint64_t> FallAt(std::size_t n, std::size_t fallAt) {
    std::vector<std::uint64_t> stamps;
    for (std::size_t i = 0; i < n; ++i) stamps.push_back(1000 * i + (fallAt != 0 && i < fallAt ? 1000000 : 0));
    return stamps;
}

// n stamps each later than the next.
std::vector<std::uint64_t> Falling(std::size_t n) {
    std::vector<std::uint64_t> stamps;
    for (std::size_t i = 0; i < n; ++i) stamps.push_back(1000000 - 1000 * i);
    return stamps;
}

Bytes Joined(Bytes first, const Bytes& second) {
    test::Append(first, second);
    return first;
}

struct CandidateCase {
    const char* name;
    Bytes stream;
    std::size_t syncOffset;  // in the record stream
};

class SyncCandidates : public ReaderFixture, public ::testing::WithParamInterface<CandidateCase> {};

TEST_P(SyncCandidates, SyncsWhereMarksAndTheFirstStampAgree) {
    const CandidateCase& c = GetParam();
    WriteRun(12, 0, test::SplitIntoFiles(c.stream, {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    EXPECT_EQ(CapturePosition(reader), 40 + c.syncOffset);
}

const Bytes kStray{0x11};

INSTANTIATE_TEST_SUITE_P(
    Candidates, SyncCandidates,
    ::testing::Values(
        // A candidate needs 100 well-marked records, itself included.
        CandidateCase{"hundredRecordsBeforeAStray", Joined(Joined(Records(100), kStray), Records(150)), 0},
        CandidateCase{"ninetyNineRecordsBeforeAStray", Joined(Joined(Records(99), kStray), Records(150)),
                      99 * 15 + 1},
        // Only the candidate's own link is timed.
        CandidateCase{"fallRightAfterTheCandidate", RecordsStamped(FallAt(150, 1)), 15},
        CandidateCase{"fallOneRecordOn", RecordsStamped(FallAt(150, 2)), 0},
        CandidateCase{"fallFurtherOn", RecordsStamped(FallAt(150, 60)), 0},
        CandidateCase{"equalStamps", RecordsStamped({5000, 5000, 6000}), 0},
        CandidateCase{"cutHeaderHasNoStamp", Joined(RecordsStamped({5000}), {kSyncMark, 0x01, 0x02}), 0},
        // With no candidate in time, the first that was well marked.
        CandidateCase{"everyLinkFallsUntil280Candidates", RecordsStamped(Falling(300)), 0},
        CandidateCase{"everyLinkFallsUntilTheFileEnds",
                      Joined(RecordsStamped(Falling(150)), Bytes(5, 0x11)), 0}),
    [](const ::testing::TestParamInfo<CandidateCase>& param) { return std::string(param.param.name); });

TEST_F(ReaderFixture, RecordHeaderStraddlingTwoFilesReadsAsOne) {
    Bytes stream = Records(4);
    std::size_t recordSize = 15;  // 8 + 6 + 1
    std::size_t cut = 2 * recordSize + 3;  // inside the third record's header
    WriteRun(12, 0, test::SplitIntoFiles(stream, {cut}));
    Start(12, 0, 2);
    ASSERT_TRUE(OpenAndSync().IsOk());
    ASSERT_TRUE(Next().IsOk());
    ASSERT_TRUE(Next().IsOk());  // its look-ahead header straddles the files
    EXPECT_EQ(frame.TimeStamp, 2000u);
    EXPECT_EQ(frame.NextTimeStamp, 3000u);
    EXPECT_EQ(reader.CurrentCaptureName, dir.Path("cap1201.Zelmot"));
    EXPECT_EQ(CapturePosition(reader), 40u + 5u);
    ASSERT_TRUE(Next().IsOk());
    EXPECT_EQ(frame.TimeStamp, 3000u);
    EXPECT_EQ(frame.Bytes[0], 0x10);
    EXPECT_TRUE(Next().IsEnd());
}

TEST_F(ReaderFixture, DataUnderRunWhenTheNextFileIsTooShort) {
    Bytes stream = Records(2);
    Bytes big = test::RecordBytes(3000, Bytes(200, 0x42));
    test::Append(stream, big);
    // The big record begins in the first file; the second holds only 10 of its bytes.
    std::vector<Bytes> files = test::SplitIntoFiles(Bytes(stream.begin(), stream.end() - 150),
                                                    {2 * 15 + 20});
    WriteRun(12, 0, files);
    test::WriteCaptureRun(dir.Path("cap"), 12, 2, {test::SplitIntoFiles(Records(3), {})[0]});
    Start(12, 0, 3);
    ASSERT_TRUE(OpenAndSync().IsOk());
    Outcome read;
    while ((read = Next()).IsOk()) {
    }
    EXPECT_EQ(read.Text, "Capture File Read Error: Data Under Run");
}

TEST_F(ReaderFixture, MissingFileInTheSequenceIsNamed) {
    WriteRun(12, 0, test::SplitIntoFiles(Records(4), {30}));
    Start(12, 0, 3);
    ASSERT_TRUE(OpenAndSync().IsOk());
    Outcome read;
    while ((read = Next()).IsOk()) {
    }
    EXPECT_EQ(read.Text, "Unable to Open Input File " + dir.Path("cap1202.Zelmot"));
    EXPECT_FALSE(IsOpen(reader.File));
    EXPECT_TRUE(out.Open);  // the output text is the run's, never the reader's
}

TEST_F(ReaderFixture, FileSequenceWrapsMinuteAndHour) {
    WriteRun(23, 58, test::SplitIntoFiles(Records(8), {15, 30, 45}));
    Start(23, 58, 4);
    ASSERT_TRUE(OpenAndSync().IsOk());
    while (Next().IsOk()) {
    }
    std::string written = Text();
    for (const char* name : {"cap2358", "cap2359", "cap0000", "cap0001"})
        EXPECT_NE(written.find(dir.Path(name) + ".Zelmot\n"), std::string::npos) << name;
}

TEST_F(ReaderFixture, StartHourAbove23WrapsToZero) {
    unsigned hour = 99, minute = 59;
    AdvanceCaptureMinute(hour, minute);
    EXPECT_EQ(hour, 0u);
    EXPECT_EQ(minute, 0u);
    EXPECT_EQ(CaptureFileName("x/line", 9, 5), "x/line0905.Zelmot");
}

TEST_F(ReaderFixture, CorruptedLengthLosesSyncNotesItAndResumes) {
    // 120 good records (so the start-up check of 100 records passes), one whose
    // length byte says 3 for its 6 frame bytes, then 120 good records again.
    Bytes stream = Records(120, 1000);
    Bytes bad = test::RecordBytes(200000, test::Sd1(7, 3, 0x5D));
    bad[7] = 3;
    test::Append(stream, bad);
    test::Append(stream, Records(120, 300000));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    std::vector<CaptureFrame> frames;
    while (Next().IsOk()) frames.push_back(frame);
    // The bad frame is read with 3 bytes; the header read after it starts at
    // its FCS (7 + 3 + 0x5d = 0x67), 8 bytes before FileOfs.
    std::size_t fileOfs = 40 + 120 * 15 + 8 + 4 + 8;
    const std::string note =
        test::FormatText("File      : %s\n**** Synchronization Lost ****\n      120: FileOfs=%zx Mark=67\n",
                         dir.Path("cap1200.Zelmot").c_str(), fileOfs);
    EXPECT_EQ(Text().substr(Text().find("File      :")), note);
    ASSERT_EQ(frames.size(), 120u + 1u + 119u);
    EXPECT_EQ(frames[120].TimeStamp, 200000u);
    EXPECT_EQ(frames[120].Length, 3);
    // The search restarts where the bad frame's bytes began and finds the next record.
    EXPECT_EQ(frames[120].NextTimeStamp, 300000u);
    EXPECT_EQ(frames[121].TimeStamp, 300000u);
    EXPECT_EQ(frames.back().NextTimeStamp, 300000u + 119 * 1000u);
}

TEST_F(ReaderFixture, GarbageCandidateInADamagedFrameIsPassedOver) {
    // The damaged frame holds a 0xDD whose length byte leads exactly onto the
    // next real record, so its marks hold; its stamp lies after that record's.
    Bytes stream = Records(120, 1000);
    Bytes damaged{0x10, 0x05, 0x02, kSyncMark, 0xa0, 0xa0, 0xa0, 0xa0, 0x00, 0x00, 2, 0x42, 0x16};
    Bytes bad = test::RecordBytes(200000, damaged);
    bad[7] = 1;  // the length byte says 1 for 13 frame bytes
    test::Append(stream, bad);
    test::Append(stream, Records(120, 300000));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    Start(12, 0, 1);
    ASSERT_TRUE(OpenAndSync().IsOk());
    std::vector<CaptureFrame> frames;
    Outcome read;
    while ((read = Next()).IsOk()) frames.push_back(frame);
    EXPECT_TRUE(read.IsEnd());
    // The header read after the two bytes the length gave starts at 0x02.
    const std::string note =
        test::FormatText("File      : %s\n**** Synchronization Lost ****\n      120: FileOfs=%zx Mark=02\n",
                         dir.Path("cap1200.Zelmot").c_str(), std::size_t{40 + 120 * 15 + 8 + 2 + 8});
    EXPECT_EQ(Text().substr(Text().find("File      :")), note);
    ASSERT_EQ(frames.size(), 120u + 1u + 119u);
    EXPECT_EQ(frames[120].TimeStamp, 200000u);
    EXPECT_EQ(frames[120].NextTimeStamp, 300000u);
    EXPECT_EQ(frames[121].TimeStamp, 300000u);
    for (const CaptureFrame& f : frames) EXPECT_LE(f.TimeStamp, f.NextTimeStamp) << f.TimeStamp;
}

TEST_F(ReaderFixture, ResyncInANewlyOpenedFileStartsPastTheBadHeader) {
    // The damaged length carries the frame 14 bytes into the next file; the
    // search must start there, not at the offset the first file had reached.
    Bytes stream = Records(120, 1000);
    Bytes bad = test::RecordBytes(200000, test::Sd1(7, 3, 0x5D));
    bad[7] = 20;
    test::Append(stream, bad);
    std::size_t cut = stream.size();
    test::Append(stream, Records(120, 300000));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {cut}));
    Start(12, 0, 2);
    ASSERT_TRUE(OpenAndSync().IsOk());
    std::vector<CaptureFrame> frames;
    Outcome read;
    while ((read = Next()).IsOk()) frames.push_back(frame);
    EXPECT_TRUE(read.IsEnd()) << read.Text;
    // The next header is read from the second record's status byte on: past
    // it lies offset 40 + 14 + 8 of the new file.
    std::string written = Text();
    EXPECT_NE(written.find("File      : " + dir.Path("cap1201.Zelmot") +
                        "\n**** Synchronization Lost ****\n      120: FileOfs=3e Mark=00\n"),
              std::string::npos)
        << written;
    // From there the first record is the new file's third.
    ASSERT_EQ(frames.size(), 120u + 1u + 117u);
    EXPECT_EQ(frames[120].NextTimeStamp, 302000u);
    EXPECT_EQ(frames[121].TimeStamp, 302000u);
}

TEST_F(ReaderFixture, SyncLostNoteFormat) {
    // Reference 812, position 0x1a2b, mark 0x3f: the note's exact layout.
    EXPECT_EQ(test::FormatText("%9u: FileOfs=%x Mark=%02x\n", 812u, 0x1a2bu, 0x3fu),
              "      812: FileOfs=1a2b Mark=3f\n");
}

TEST_F(ReaderFixture, CaptureFileThatIsAFolderCannotBeOpened) {
    std::filesystem::create_directory(dir.Path("cap1200.Zelmot"));
    Start(12, 0, 1);
    EXPECT_EQ(OpenNextCaptureFile(reader).Text, "Unable to Open Input File " + dir.Path("cap1200.Zelmot"));
}

}  // namespace
}  // namespace zelmot
