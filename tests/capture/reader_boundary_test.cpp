// The reader's in-buffer walk against the previous reader: a record that
// crosses the end of the input buffer or of a file at every offset of its
// header, its frame bytes, its status byte and the header after it; then
// random captures with damage, file cuts and small buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/capture_builder.h"
#include "support/pulled_run.h"
#include "support/reader_comparison.h"

namespace zelmot {
namespace {

using test::Bytes;

constexpr std::size_t kSd1Record = 15;

struct Target {
    const char* Name;
    Bytes Frame;
};

// Frames of every size class the walk treats apart: none, short, and
// longer than the one fixed-size copy.
const Target kTargets[] = {
    {"empty", {}},
    {"shortAck", test::ShortAck()},
    {"sd1", test::Sd1(5, 2, 0x49)},
    {"longSd2", test::Sd2(0x85, 0x82, 0x5D, Bytes(40, 0x3C))},
};

// 120 SD1 records (for the sync check), the target, one SD1 record after
// it, and five more: every record but the last becomes a frame.
constexpr std::size_t kRecordsBefore = 120;
constexpr std::size_t kRecordsTotal = kRecordsBefore + 1 + 6;

Bytes StreamAround(const Target& target) {
    Bytes stream = test::Sd1Records(kRecordsBefore, 1000);
    test::Append(stream, test::RecordBytes(500000, target.Frame, 0x40));
    test::Append(stream, test::Sd1Records(6, 600000));
    return stream;
}

// From the target's first header byte through the last byte of the header
// after it.
std::size_t OffsetsToCover(const Target& target) { return kRecordHeaderSize + target.Frame.size() + 1 + kRecordHeaderSize; }

void ExpectSameAsPrevious(const CaptureRunFiles& files, std::size_t framesExpected) {
    const test::ReaderComparison compared = test::CompareWithPreviousReader(files);
    EXPECT_EQ(compared.Difference, "");
    EXPECT_EQ(compared.Last, RecordKind::EndOfCapture);
    EXPECT_EQ(compared.Frames, framesExpected);
}

TEST(ReaderBoundaries, ARecordCrossingTheFileEndAtEveryOffset) {
    for (const Target& target : kTargets) {
        const Bytes stream = StreamAround(target);
        const std::size_t start = kRecordsBefore * kSd1Record;
        for (std::size_t offset = 0; offset <= OffsetsToCover(target); ++offset) {
            SCOPED_TRACE(std::string(target.Name) + " cut at offset " + std::to_string(offset));
            test::TempDir dir;
            test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {start + offset}));
            ExpectSameAsPrevious(CaptureRunFiles{dir.Path("cap"), 12, 0, 2, false}, kRecordsTotal - 1);
        }
    }
}

TEST(ReaderBoundaries, ARecordCrossingTheBufferEndAtEveryOffset) {
    // The target lies in the second file after one SD1 record: that file is
    // read from its start without a seek, so its first buffer ends at
    // exactly the buffer size.
    for (const Target& target : kTargets) {
        const Bytes stream = StreamAround(target);
        const std::size_t cut = (kRecordsBefore - 1) * kSd1Record;
        const std::size_t start = kCaptureHeaderSize + kSd1Record;  // in the second file
        for (std::size_t offset = 0; offset <= OffsetsToCover(target); ++offset) {
            SCOPED_TRACE(std::string(target.Name) + " buffer end at offset " + std::to_string(offset));
            test::TempDir dir;
            test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {cut}));
            CaptureRunFiles files{dir.Path("cap"), 12, 0, 2, false};
            files.ReadBufferSize = start + offset;
            ExpectSameAsPrevious(files, kRecordsTotal - 1);
        }
    }
}

TEST(ReaderBoundaries, ALostBoundaryWhoseHeaderCrossesTheBufferEnd) {
    // The target's length byte says 3 for its 6 frame bytes: the header read
    // after it, wherever the buffer ends, lacks its mark.
    Bytes stream = test::Sd1Records(kRecordsBefore, 1000);
    Bytes bad = test::RecordBytes(500000, test::Sd1(7, 3, 0x5D));
    bad[7] = 3;
    test::Append(stream, bad);
    test::Append(stream, test::Sd1Records(kRecordsBefore, 600000));
    const std::size_t cut = (kRecordsBefore - 1) * kSd1Record;
    const std::size_t start = kCaptureHeaderSize + kSd1Record;
    for (std::size_t offset = 0; offset <= bad.size() + kRecordHeaderSize; ++offset) {
        SCOPED_TRACE("buffer end at offset " + std::to_string(offset));
        test::TempDir dir;
        test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {cut}));
        CaptureRunFiles files{dir.Path("cap"), 12, 0, 2, false};
        files.ReadBufferSize = start + offset;
        const test::ReaderComparison compared = test::CompareWithPreviousReader(files);
        EXPECT_EQ(compared.Difference, "");
        EXPECT_EQ(compared.Last, RecordKind::EndOfCapture);
    }
}

// A random capture: records of every kind and size, stamps that mostly
// rise, and damage: lying length bytes, stray bytes, stray sync marks,
// missing bytes.
Bytes RandomStream(std::mt19937& random) {
    auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    Bytes stream;
    std::uint64_t stamp = random() & 0xFFFFFFFFFFull;
    const unsigned records = 100 + below(300);
    for (unsigned i = 0; i < records; ++i) {
        Bytes frame;
        switch (below(7)) {
            case 0: frame = test::Sd1(static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()), 0x49); break;
            case 1: frame = test::Sd2(static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()), 0x5D,
                                      Bytes(below(3) == 0 ? below(246) : below(20), 0x42)); break;
            case 2: frame = Bytes{0xA2, 0x85, 0x02, 0x08, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0x16}; break;
            case 3: frame = test::Token(static_cast<std::uint8_t>(random()), 1); break;
            case 4: frame = test::ShortAck(); break;
            case 5: break;
            default: for (unsigned n = below(40); n > 0; --n) frame.push_back(static_cast<std::uint8_t>(random()));
        }
        stamp += below(20) == 0 ? 0 - std::uint64_t{below(3000)} : below(5000);
        Bytes record = test::RecordBytes(stamp & 0xFFFFFFFFFFFFull, frame, below(10) == 0 ? 0x40 : 0);
        if (i > 100 && below(60) == 0) record[7] = static_cast<std::uint8_t>(random());
        if (i > 100 && below(80) == 0) record.insert(record.begin(), below(5) + 1, below(2) == 0 ? 0x55 : kSyncMark);
        if (i > 100 && below(80) == 0) record.resize(record.size() - 1 - below(static_cast<unsigned>(record.size()) - 1));
        test::Append(stream, record);
    }
    return stream;
}

TEST(ReaderBoundaries, RandomCapturesReadAsThePreviousReaderReadThem) {
    std::mt19937 random(20261210);
    std::size_t frames = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Bytes stream = RandomStream(random);
        std::vector<std::size_t> cuts;
        for (unsigned n = static_cast<unsigned>(random() % 4); n > 0; --n)
            cuts.push_back(random() % (stream.size() + 1));
        std::sort(cuts.begin(), cuts.end());
        test::TempDir dir;
        const std::vector<Bytes> files = test::SplitIntoFiles(stream, cuts);
        test::WriteCaptureRun(dir.Path("cap"), 23, 59, files);
        // Now and then one minute more than exists: the run ends on the missing file.
        CaptureRunFiles run{dir.Path("cap"), 23, 59, static_cast<std::uint32_t>(files.size() + random() % 2), false};
        const std::size_t sizes[] = {0, 1, 7, 31, 64, 200, 1000};
        run.ReadBufferSize = sizes[random() % std::size(sizes)];
        run.LocateFields = round % 4 != 3;  // a caller that reads only the bytes: all else the same
        const test::ReaderComparison compared = test::CompareWithPreviousReader(run);
        ASSERT_EQ(compared.Difference, "");
        frames += compared.Frames;
    }
    EXPECT_GT(frames, 10000u) << "the rounds read frames, not only faults";
}

}  // namespace
}  // namespace zelmot
