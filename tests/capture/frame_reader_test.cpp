// The frame reader through its pull, against capture files built byte by
// byte: sync search, record stream across files, look-ahead,
// resynchronisation and the events it raises on the way.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/frame_reader.h"
#include "support/pulled_run.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::Bytes;
using test::Sd1Records;
using Log = std::vector<std::string>;

constexpr std::size_t kSd1RecordSize = 15;  // 8 header bytes, 6 frame bytes, status

struct ReaderFixture : ::testing::Test {
    test::TempDir dir;

    void WriteRun(unsigned hour, unsigned minute, const std::vector<Bytes>& files) {
        test::WriteCaptureRun(dir.Path("cap"), hour, minute, files);
    }
    test::PulledRun Pull(unsigned hour, unsigned minute, unsigned numMin) {
        return test::PullRun(CaptureRunFiles{dir.Path("cap"), hour, minute, numMin, false});
    }
};

// Where the reader synchronised: the first frame's record began there, its
// length plus 9 bytes and the header after it before the offset it reports.
std::uint64_t SyncOffset(const test::PulledRun& run) {
    EXPECT_FALSE(run.Frames.empty()) << "no frame, so no sync offset";
    if (run.Frames.empty()) return 0;
    const CaptureFrame& first = run.Frames.front();
    return first.FileOffset - first.Length - 9u - kRecordHeaderSize;
}

Bytes Strays(std::size_t n, std::uint8_t value = 0x55) { return Bytes(n, value); }

TEST_F(ReaderFixture, HeaderEventOnceForTheFirstFileAndAFileEventPerFile) {
    Bytes firstHeader = test::CaptureHeaderBytes(5, 0xC0A8010A, std::string(32, 'N'));
    Bytes laterHeader = test::CaptureHeaderBytes(8, 0x01020304, "ab");
    Bytes stream = Sd1Records(5);
    Bytes first(stream.begin(), stream.begin() + 30), later(stream.begin() + 30, stream.end());
    WriteRun(23, 59, {test::SplitIntoFiles(first, {}, firstHeader)[0], test::SplitIntoFiles(later, {}, laterHeader)[0]});
    test::PulledRun run = Pull(23, 59, 2);
    EXPECT_EQ(test::EventsOf(run), (Log{"header", "file cap2359.Zelmot", "file cap0000.Zelmot", "end"}));
    ASSERT_EQ(run.Headers.size(), 1u);
    EXPECT_TRUE(std::equal(firstHeader.begin(), firstHeader.end(), run.Headers[0].begin()));
    // The reader's own Header is that of the file opened last.
    EXPECT_TRUE(std::equal(laterHeader.begin(), laterHeader.end(), run.LastHeader.begin()));
    EXPECT_EQ(HeaderDeviceName(run.LastHeader), "ab");
    EXPECT_EQ(run.FilesOpened, 2u);
}

TEST_F(ReaderFixture, DeliversFramesWithTheNextStampAndNeverTheLast) {
    WriteRun(12, 0, test::SplitIntoFiles(Sd1Records(4), {}));
    test::PulledRun run = Pull(12, 0, 1);
    EXPECT_EQ(run.Log, (Log{"header", "file cap1200.Zelmot", "frame 1000", "frame 2000", "frame 3000", "end"}));
    ASSERT_EQ(run.Frames.size(), 3u);
    EXPECT_EQ(run.Frames[0].NextTimeStamp, 2000u);
    EXPECT_EQ(run.Frames[2].NextTimeStamp, 4000u);
    EXPECT_EQ(run.Frames[2].Length, 6);
    EXPECT_EQ(run.Frames[2].Status, 0);
    EXPECT_EQ(run.Frames[2].Fields.SD, 0x10);
}

TEST_F(ReaderFixture, ASingleRecordYieldsNoFrame) {
    WriteRun(12, 0, test::SplitIntoFiles(Sd1Records(1), {}));
    EXPECT_EQ(Pull(12, 0, 1).Log, (Log{"header", "file cap1200.Zelmot", "end"}));
}

TEST_F(ReaderFixture, TimeStampIsFortyEightBitLittleEndian) {
    Bytes stream = test::RecordBytes(0x060504030201ull, {0x10, 1, 2}, 0x7f);
    test::Append(stream, test::RecordBytes(0xFFFFFFFFFFFFull, {}));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    test::PulledRun run = Pull(12, 0, 1);
    ASSERT_EQ(run.Frames.size(), 1u);
    EXPECT_EQ(run.Frames[0].TimeStamp, 0x060504030201ull);
    EXPECT_EQ(run.Frames[0].NextTimeStamp, 0xFFFFFFFFFFFFull);
    EXPECT_EQ(run.Frames[0].Length, 3);
    EXPECT_EQ(run.Frames[0].Status, 0x7f);
}

struct SyncCase {
    const char* name;
    std::size_t strays;
    const char* message;  // empty: synchronises past the strays
};
void PrintTo(const SyncCase& c, std::ostream* os) { *os << c.name; }

class SyncSearch : public ReaderFixture, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(SyncSearch, FindsTheFirstRecordWithin280StrayBytes) {
    const SyncCase& c = GetParam();
    Bytes stream = Strays(c.strays);
    test::Append(stream, Sd1Records(3));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    test::PulledRun run = Pull(12, 0, 1);
    if (*c.message == '\0') {
        EXPECT_EQ(run.Last, RecordKind::EndOfCapture);
        EXPECT_EQ(SyncOffset(run), 40 + c.strays);
        EXPECT_EQ(run.Frames.size(), 2u);
    } else {
        EXPECT_EQ(run.Log, (Log{"header", "file cap1200.Zelmot", std::string("error ") + c.message}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Strays, SyncSearch,
    ::testing::Values(SyncCase{"none", 0, ""}, SyncCase{"some", 17, ""}, SyncCase{"at279", 279, ""},
                      SyncCase{"at280", 280, "Capture File Sync Error: SYNC_MARK not found"},
                      SyncCase{"many", 1000, "Capture File Sync Error: SYNC_MARK not found"}),
    [](const ::testing::TestParamInfo<SyncCase>& param) { return std::string(param.param.name); });

TEST_F(ReaderFixture, HeaderOnlyFileHasNoSyncMarkWhateverFollows) {
    WriteRun(12, 0, {test::CaptureHeaderBytes(), test::SplitIntoFiles(Sd1Records(5), {})[0]});
    EXPECT_EQ(Pull(12, 0, 2).Log,
              (Log{"header", "file cap1200.Zelmot", "error Capture File Sync Error: SYNC_MARK not found"}));
}

TEST_F(ReaderFixture, FalseCandidateIsRejectedAndTheSearchGoesOn) {
    // A 0xDD whose "record" is followed by a byte that is no sync mark.
    Bytes stream{0x01, kSyncMark, 1, 2, 3, 4, 5, 6, 0, 0x42, 0x77, 0x00};
    std::size_t real = stream.size();
    test::Append(stream, Sd1Records(150));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    test::PulledRun run = Pull(12, 0, 1);
    EXPECT_EQ(SyncOffset(run), 40 + real);
    EXPECT_EQ(run.Frames.size(), 149u);
}

TEST_F(ReaderFixture, FewRecordsStillSynchroniseAndACutHeaderIsJudgedByItsBytes) {
    Bytes stream = Sd1Records(3);
    stream.push_back(kSyncMark);  // a record header cut short by the end of the file
    stream.push_back(0x01);
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    test::PulledRun run = Pull(12, 0, 1);
    EXPECT_EQ(SyncOffset(run), 40u);
    EXPECT_EQ(run.Log, (Log{"header", "file cap1200.Zelmot", "frame 1000", "frame 2000", "end"}));
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
    test::PulledRun run = Pull(12, 0, 1);
    EXPECT_EQ(run.Log.back(), "error Capture File Sync Error: Unable to Sync");
    EXPECT_TRUE(run.Frames.empty());
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
void PrintTo(const CandidateCase& c, std::ostream* os) { *os << c.name; }

class SyncCandidates : public ReaderFixture, public ::testing::WithParamInterface<CandidateCase> {};

TEST_P(SyncCandidates, SyncsWhereMarksAndTheFirstStampAgree) {
    const CandidateCase& c = GetParam();
    WriteRun(12, 0, test::SplitIntoFiles(c.stream, {}));
    EXPECT_EQ(SyncOffset(Pull(12, 0, 1)), 40 + c.syncOffset);
}

const Bytes kStray{0x11};

INSTANTIATE_TEST_SUITE_P(
    Candidates, SyncCandidates,
    ::testing::Values(
        // A candidate needs 100 well-marked records, itself included.
        CandidateCase{"hundredRecordsBeforeAStray", Joined(Joined(Sd1Records(100), kStray), Sd1Records(150)), 0},
        CandidateCase{"ninetyNineRecordsBeforeAStray", Joined(Joined(Sd1Records(99), kStray), Sd1Records(150)),
                      99 * kSd1RecordSize + 1},
        // Only the candidate's own link is timed.
        CandidateCase{"fallRightAfterTheCandidate", RecordsStamped(FallAt(150, 1)), kSd1RecordSize},
        CandidateCase{"fallOneRecordOn", RecordsStamped(FallAt(150, 2)), 0},
        CandidateCase{"fallFurtherOn", RecordsStamped(FallAt(150, 60)), 0},
        CandidateCase{"equalStamps", RecordsStamped({5000, 5000, 6000}), 0},
        // With no candidate in time, the first that was well marked.
        CandidateCase{"everyLinkFallsUntil280Candidates", RecordsStamped(Falling(300)), 0},
        CandidateCase{"everyLinkFallsUntilTheFileEnds",
                      Joined(RecordsStamped(Falling(150)), Bytes(5, 0x11)), 0}),
    [](const ::testing::TestParamInfo<CandidateCase>& param) { return std::string(param.param.name); });

TEST_F(ReaderFixture, CutHeaderAfterTheCandidateHasNoStampToTime) {
    // The first file ends three bytes into the second record's header, whose
    // whole stamp (0x201) lies before the first's; only its cut part counts.
    Bytes stream = RecordsStamped({5000, 0x0201, 7000});
    WriteRun(12, 0, test::SplitIntoFiles(stream, {kSd1RecordSize + 3}));
    test::PulledRun run = Pull(12, 0, 2);
    EXPECT_EQ(run.Log, (Log{"header", "file cap1200.Zelmot", "file cap1201.Zelmot", "frame 5000", "frame 513",
                            "end"}));
}

TEST_F(ReaderFixture, RecordHeaderStraddlingTwoFilesReadsAsOne) {
    std::size_t cut = 2 * kSd1RecordSize + 3;  // inside the third record's header
    WriteRun(12, 0, test::SplitIntoFiles(Sd1Records(4), {cut}));
    test::PulledRun run = Pull(12, 0, 2);
    // The new file is announced before the frame whose look-ahead met it.
    EXPECT_EQ(run.Log, (Log{"header", "file cap1200.Zelmot", "frame 1000", "file cap1201.Zelmot", "frame 2000",
                            "frame 3000", "end"}));
    ASSERT_EQ(run.Frames.size(), 3u);
    EXPECT_EQ(run.Frames[1].NextTimeStamp, 3000u);
    EXPECT_EQ(run.Frames[1].FileOffset, 40u + 5u);
    EXPECT_EQ(run.Frames[2].Bytes[0], 0x10);
    EXPECT_EQ(run.Frames[2].Length, 6);
}

TEST_F(ReaderFixture, DataUnderRunWhenTheNextFileIsTooShort) {
    Bytes stream = Sd1Records(2);
    test::Append(stream, test::RecordBytes(3000, Bytes(200, 0x42)));
    // The big record begins in the first file; the second holds only 10 of
    // its bytes; a third file exists but is never reached.
    WriteRun(12, 0, test::SplitIntoFiles(Bytes(stream.begin(), stream.end() - 150), {2 * kSd1RecordSize + 20}));
    test::WriteCaptureRun(dir.Path("cap"), 12, 2, {test::SplitIntoFiles(Sd1Records(3), {})[0]});
    test::PulledRun run = Pull(12, 0, 3);
    EXPECT_EQ(test::EventsOf(run), (Log{"header", "file cap1200.Zelmot", "file cap1201.Zelmot",
                                        "error Capture File Read Error: Data Under Run"}));
}

TEST_F(ReaderFixture, MissingFileInTheSequenceIsNamed) {
    WriteRun(12, 0, test::SplitIntoFiles(Sd1Records(4), {30}));
    test::PulledRun run = Pull(12, 0, 3);
    EXPECT_EQ(run.Last, RecordKind::Error);
    EXPECT_EQ(run.Message, "Unable to Open Input File " + dir.Path("cap1202.Zelmot"));
    EXPECT_EQ(run.Frames.size(), 3u);  // PullRun checks that the reader closed its file
}

TEST_F(ReaderFixture, FileSequenceWrapsMinuteAndHour) {
    WriteRun(23, 58, test::SplitIntoFiles(Sd1Records(8), {15, 30, 45}));
    test::PulledRun run = Pull(23, 58, 4);
    EXPECT_EQ(test::EventsOf(run), (Log{"header", "file cap2358.Zelmot", "file cap2359.Zelmot",
                                        "file cap0000.Zelmot", "file cap0001.Zelmot", "end"}));
}

TEST(CaptureFileNames, StartHourAbove23WrapsToZero) {
    unsigned hour = 99, minute = 59;
    AdvanceCaptureMinute(hour, minute);
    EXPECT_EQ(hour, 0u);
    EXPECT_EQ(minute, 0u);
    EXPECT_EQ(CaptureFileName("x/line", 9, 5), "x/line0905.Zelmot");
}

// The index of a log entry, or the log's size.
std::size_t Find(const Log& log, const std::string& entry) {
    return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
}

TEST_F(ReaderFixture, CorruptedLengthLosesSyncNotesItAndResumes) {
    // 120 good records (so the start-up check of 100 records passes), one whose
    // length byte says 3 for its 6 frame bytes, then 120 good records again.
    Bytes stream = Sd1Records(120, 1000);
    Bytes bad = test::RecordBytes(200000, test::Sd1(7, 3, 0x5D));
    bad[7] = 3;
    test::Append(stream, bad);
    test::Append(stream, Sd1Records(120, 300000));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    test::PulledRun run = Pull(12, 0, 1);
    // The bad frame is read with 3 bytes; the header read after it starts at
    // its FCS (7 + 3 + 0x5d = 0x67), 8 bytes before FileOfs.
    const std::string lost =
        test::FormatText("lost 120 %zx 67", std::size_t{40 + 120 * kSd1RecordSize + 8 + 4 + 8});
    EXPECT_EQ(test::EventsOf(run), (Log{"header", "file cap1200.Zelmot", lost, "end"}));
    // The note comes before the frame whose wrong length caused it.
    std::size_t at = Find(run.Log, lost);
    ASSERT_LT(at + 2, run.Log.size());
    EXPECT_EQ(run.Log[at - 1], "frame 120000");
    EXPECT_EQ(run.Log[at + 1], "frame 200000");
    EXPECT_EQ(run.Log[at + 2], "frame 300000");
    ASSERT_EQ(run.Frames.size(), 120u + 1u + 119u);
    EXPECT_EQ(run.Frames[120].Length, 3);
    // The search restarts where the bad frame's bytes began and finds the next record.
    EXPECT_EQ(run.Frames[120].NextTimeStamp, 300000u);
    EXPECT_EQ(run.Frames.back().NextTimeStamp, 300000u + 119 * 1000u);
}

TEST_F(ReaderFixture, GarbageCandidateInADamagedFrameIsPassedOver) {
    // The damaged frame holds a 0xDD whose length byte leads exactly onto the
    // next real record, so its marks hold; its stamp lies after that record's.
    Bytes stream = Sd1Records(120, 1000);
    Bytes damaged{0x10, 0x05, 0x02, kSyncMark, 0xa0, 0xa0, 0xa0, 0xa0, 0x00, 0x00, 2, 0x42, 0x16};
    Bytes bad = test::RecordBytes(200000, damaged);
    bad[7] = 1;  // the length byte says 1 for 13 frame bytes
    test::Append(stream, bad);
    test::Append(stream, Sd1Records(120, 300000));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {}));
    test::PulledRun run = Pull(12, 0, 1);
    // The header read after the two bytes the length gave starts at 0x02.
    const std::string lost =
        test::FormatText("lost 120 %zx 02", std::size_t{40 + 120 * kSd1RecordSize + 8 + 2 + 8});
    EXPECT_EQ(test::EventsOf(run), (Log{"header", "file cap1200.Zelmot", lost, "end"}));
    ASSERT_EQ(run.Frames.size(), 120u + 1u + 119u);
    EXPECT_EQ(run.Frames[120].TimeStamp, 200000u);
    EXPECT_EQ(run.Frames[120].NextTimeStamp, 300000u);
    EXPECT_EQ(run.Frames[121].TimeStamp, 300000u);
    for (const CaptureFrame& f : run.Frames) EXPECT_LE(f.TimeStamp, f.NextTimeStamp) << f.TimeStamp;
}

TEST_F(ReaderFixture, ResyncInANewlyOpenedFileStartsPastTheBadHeader) {
    // The damaged length carries the frame 14 bytes into the next file; the
    // search must start there, not at the offset the first file had reached.
    Bytes stream = Sd1Records(120, 1000);
    Bytes bad = test::RecordBytes(200000, test::Sd1(7, 3, 0x5D));
    bad[7] = 20;
    test::Append(stream, bad);
    std::size_t cut = stream.size();
    test::Append(stream, Sd1Records(120, 300000));
    WriteRun(12, 0, test::SplitIntoFiles(stream, {cut}));
    test::PulledRun run = Pull(12, 0, 2);
    // The next header is read from the second record's status byte on: past
    // it lies offset 40 + 14 + 8 of the new file.
    EXPECT_EQ(test::EventsOf(run),
              (Log{"header", "file cap1200.Zelmot", "file cap1201.Zelmot", "lost 120 3e 00", "end"}));
    EXPECT_EQ(Find(run.Log, "lost 120 3e 00"), Find(run.Log, "file cap1201.Zelmot") + 1);
    // From there the first record is the new file's third.
    ASSERT_EQ(run.Frames.size(), 120u + 1u + 117u);
    EXPECT_EQ(run.Frames[120].NextTimeStamp, 302000u);
    EXPECT_EQ(run.Frames[121].TimeStamp, 302000u);
}

TEST_F(ReaderFixture, EveryReadOfTheFirstFrameRunsIntoANewFile) {
    // The most one pull raises: the first record's header, its bytes and the
    // header after it each cross into a new file; that header lacks its mark,
    // the search finds a cut header, whose re-read crosses once more into a
    // file too short for it.
    Bytes stream = test::RecordBytes(1000, test::Sd1(5, 2, 0x49));
    test::Append(stream, {0x42, 1, 2, 3, 4, 5, 6, 7});  // a header without its mark
    test::Append(stream, {kSyncMark, 1, 2});
    test::Append(stream, {3, 4});
    WriteRun(12, 0, test::SplitIntoFiles(stream, {4, 11, 17, 26}));
    test::PulledRun run = Pull(12, 0, 5);
    EXPECT_EQ(run.Log, (Log{"header", "file cap1200.Zelmot", "file cap1201.Zelmot", "file cap1202.Zelmot",
                            "file cap1203.Zelmot", "lost 0 2e 42", "file cap1204.Zelmot",
                            "error Capture File Read Error: Data Under Run"}));
}

TEST_F(ReaderFixture, CaptureFileThatIsAFolderCannotBeOpened) {
    std::filesystem::create_directory(dir.Path("cap1200.Zelmot"));
    test::PulledRun run = Pull(12, 0, 1);
    EXPECT_EQ(run.Log, (Log{"error Unable to Open Input File " + dir.Path("cap1200.Zelmot")}));
    EXPECT_EQ(run.FilesOpened, 0u);
}

}  // namespace
}  // namespace zelmot
