// The building blocks: frame classes (settled detail 10), duration buckets
// and nearest-rank percentiles against the exact sorted samples, gap
// buckets at their edges, and the rate series when it must merge its bins.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "analysis/analysis_run.h"
#include "analysis/frame_class.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

CaptureFrame FrameOf(const test::Bytes& bytes, std::uint8_t status = 0, std::uint64_t ticks = 0) {
    CaptureFrame f;
    std::copy(bytes.begin(), bytes.end(), f.Bytes.begin());
    f.Length = static_cast<std::uint8_t>(bytes.size());
    f.Bytes[f.Length] = status;
    f.Status = status;
    f.TimeStamp = ticks;
    f.NextTimeStamp = ticks;
    LocateFrameFields(f);
    return f;
}

// The run's steps and the analysis, for frames made in memory.
struct MemoryRun {
    RunSpec Plan;
    FrameSteps Steps;
    std::unique_ptr<BusStats> Stats = std::make_unique<BusStats>();
    Analysis Pass;
};

bool StartMemoryRun(MemoryRun& run, std::uint16_t baudIndex) {
    if (!StartFrameSteps(run.Steps, run.Plan, baudIndex)) return false;
    run.Pass.Stats = run.Stats.get();
    StartAnalysis(run.Pass, baudIndex, run.Steps.Timing.Baud);
    return true;
}

void Collect(MemoryRun& run, const CaptureFrame& frame) { AnalyseFrame(run.Pass, StepFrame(run.Steps, frame)); }

TEST(StatsUnits, FrameClassesByDelimiterLengthAndStatus) {
    struct Case {
        const char* Name;
        test::Bytes Bytes;
        std::uint8_t Status;
        FrameKind Kind;
        bool Request, Response, SaReadable;
        std::uint8_t Sa;
    };
    const Case cases[] = {
        {"SD1 request", test::Sd1(0x85, 0x02, 0x5D), 0, FrameKind::Sd1, true, false, true, 2},
        {"SD1 response", test::Sd1(2, 5, 0x08), 0, FrameKind::Sd1, false, true, true, 5},
        {"SD2 request, SA with SAP bit", test::Sd2(3, 0x81, 0x6D, {0x3E, 0x3C}), 0, FrameKind::Sd2, true, false, true, 1},
        {"token", test::Token(2, 1), 0, FrameKind::Token, false, false, true, 1},
        {"SC", test::ShortAck(), 0, FrameKind::ShortAck, false, true, false, 0},
        {"token without SA", {0xDC, 0x02}, 0, FrameKind::Unknown, false, false, false, 0},
        {"SD1 without FC", {0x10, 0x05, 0x02}, 0, FrameKind::Unknown, false, false, false, 0},
        {"SD2 without FC", {0x68, 0x05, 0x05, 0x68, 0x05, 0x02}, 0, FrameKind::Unknown, false, false, false, 0},
        {"unknown delimiter", {0x42, 0x05, 0x02, 0x49}, 0, FrameKind::Unknown, false, false, false, 0},
        {"SD1 of four bytes", {0x10, 0x05, 0x02, 0x49}, 0, FrameKind::Unknown, false, false, false, 0},
        {"SD2 with LEr not LE", {0x68, 0x05, 0x06, 0x68, 0x03, 0x81, 0x6D, 0x3E, 0x3C, 0x00, 0x16}, 0,
         FrameKind::Unknown, false, false, false, 0},
        {"SD1 without ED", {0x10, 0x05, 0x02, 0x49, 0x50, 0x00}, 0, FrameKind::Unknown, false, false, false, 0},
        {"SC of two bytes", {0xE5, 0xE5}, 0, FrameKind::Unknown, false, false, false, 0},
        {"no bytes", {}, 0, FrameKind::Unknown, false, false, false, 0},
        {"damaged request: SA only", test::Sd1(5, 0x89, 0x5D), 0x40, FrameKind::Sd1, false, false, true, 9},
        {"damaged token without SA", {0xDC, 0x02}, 0x80, FrameKind::Token, false, false, false, 0},
        {"damaged SC", test::ShortAck(), 0x02, FrameKind::ShortAck, false, false, false, 0},
    };
    FrameClass k;  // one record for every case: nothing of the case before may stay in it
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ClassifyFrame(FrameOf(c.Bytes, c.Status), k);
        EXPECT_EQ(k.Kind, c.Kind);
        EXPECT_EQ(k.Damaged, c.Status != 0);
        EXPECT_EQ(k.Request, c.Request);
        EXPECT_EQ(k.Response, c.Response);
        EXPECT_EQ(k.SaReadable, c.SaReadable);
        if (c.SaReadable) {
            EXPECT_EQ(k.Sa, c.Sa);
        }
    }
    EXPECT_TRUE(ExpectsNoAnswer(5, 0x44));
    EXPECT_TRUE(ExpectsNoAnswer(5, 0x56));
    EXPECT_TRUE(ExpectsNoAnswer(127, 0x5D));
    EXPECT_FALSE(ExpectsNoAnswer(5, 0x5D));
    EXPECT_TRUE(IsFdlStatusRequest(0x49));
}

TEST(StatsUnits, DurationBucketsCoverEveryValueOnce) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        std::int64_t v = static_cast<std::int64_t>(rng() >> (rng() % 64)) - (i % 10 == 0 ? 1000 : 0);
        std::size_t b = DurationBucketOf(v);
        ASSERT_LT(b, kDurationBucketCount);
        ASSERT_LE(DurationBucketLow(b), v) << v;
        if (b + 1 < kDurationBucketCount) {
            ASSERT_LT(v, DurationBucketHigh(b)) << v;
        }
    }
    for (std::size_t b = 1; b + 1 < kDurationBucketCount; ++b) ASSERT_EQ(DurationBucketHigh(b), DurationBucketLow(b + 1));
}

TEST(StatsUnits, PercentilesAreTheNearestRankWithinOnePercent) {
    std::mt19937_64 rng(11);
    for (int round = 0; round < 40; ++round) {
        auto stats = std::make_unique<DurationStats>();
        std::vector<std::int64_t> samples;
        std::size_t n = 1 + rng() % 3000;
        std::lognormal_distribution<double> spread(10.0 + round % 8, 0.2 + 0.1 * (round % 5));
        for (std::size_t i = 0; i < n; ++i) {
            auto v = static_cast<std::int64_t>(spread(rng));
            samples.push_back(v);
            AddDuration(*stats, v);
        }
        std::sort(samples.begin(), samples.end());
        EXPECT_EQ(stats->Count, n);
        EXPECT_EQ(stats->Min, samples.front());
        EXPECT_EQ(stats->Max, samples.back());
        for (unsigned p : {1u, 50u, 95u, 99u, 100u}) {
            std::size_t rank = (p * n + 99) / 100;
            double exact = static_cast<double>(samples[std::max<std::size_t>(rank, 1) - 1]);
            double got = static_cast<double>(DurationPercentile(*stats, p));
            EXPECT_LE(std::abs(got - exact), exact * 0.01 + 0.5) << "p" << p << " n " << n;
        }
    }
    DurationStats small;
    for (std::int64_t v : {5, 1, 3, 2, 4}) AddDuration(small, v);  // exact below 64 ns
    EXPECT_EQ(DurationPercentile(small, 50), 3);
    EXPECT_EQ(DurationPercentile(small, 95), 5);
}

TEST(StatsUnits, DurationBucketsTakeTheirRoomWithTheFirstSample) {
    DurationStats d;
    EXPECT_TRUE(d.Buckets.empty());
    EXPECT_EQ(DurationBucketSamples(d, DurationBucketOf(1'000)), 0u);
    EXPECT_EQ(DurationPercentile(d, 50), 0);
    AddDuration(d, 1'000);
    AddDuration(d, 1'000);
    AddDuration(d, -5);
    ASSERT_EQ(d.Buckets.size(), kDurationBucketCount);
    EXPECT_EQ(DurationBucketSamples(d, DurationBucketOf(1'000)), 2u);
    EXPECT_EQ(DurationBucketSamples(d, 0), 1u);  // the negative ones
    EXPECT_EQ(DurationBucketSamples(d, DurationBucketOf(2'000)), 0u);
}

TEST(StatsUnits, GapBucketsSplitAtWholeBitTimes) {
    // 500 kbit/s: a bit lasts 2,000 ns = 16 ticks of 125 ns.
    struct Case {
        std::uint64_t GapTicks;
        std::size_t Bucket;
    };
    const Case cases[] = {{0, 0}, {15, 0}, {16, 1}, {31, 1}, {32, 2}, {64 * 16 - 1, 6}, {64 * 16, 7}};
    for (const Case& c : cases) {
        MemoryRun run;
        ASSERT_TRUE(StartMemoryRun(run, 4));
        Collect(run, FrameOf(test::ShortAck(), 0, 1000));
        Collect(run, FrameOf(test::ShortAck(), 0, 1000 + 16 * 11 + c.GapTicks));
        EXPECT_EQ(run.Stats->GapBuckets[c.Bucket], c.Bucket == 0 ? 2u : 1u) << c.GapTicks;
        EXPECT_EQ(GapBucketFromBits(c.Bucket) <= c.GapTicks / 16 && c.GapTicks / 16 < GapBucketToBits(c.Bucket), true);
    }
    // A negative gap counts in the first bucket.
    MemoryRun run;
    ASSERT_TRUE(StartMemoryRun(run, 4));
    Collect(run, FrameOf(test::Sd1(1, 2, 0x5D), 0, 1000));
    Collect(run, FrameOf(test::ShortAck(), 0, 1001));
    EXPECT_EQ(run.Stats->GapBuckets[0], 2u);
    MemoryRun badBaud;
    EXPECT_FALSE(StartMemoryRun(badBaud, 9));
}

TEST(StatsUnits, RateSeriesMergesBinsBeyondItsLimitAndKeepsEveryFrame) {
    MemoryRun run;
    ASSERT_TRUE(StartMemoryRun(run, 8));
    BusStats* stats = run.Stats.get();
    const std::uint64_t second = 48'000'000;  // ticks at 12 Mbit/s
    std::uint64_t frames = 0;
    for (std::uint64_t s = 0; s < 10000; s += 3) {
        for (int k = 0; k < static_cast<int>(1 + s % 5); ++k, ++frames)
            Collect(run, FrameOf(test::Token(1, 1), s % 7 == 0 ? 0x40 : 0, 10 + s * second + k * 1000u));
    }
    FinishAnalysis(run.Pass);
    const RateSeries& r = stats->Rate;
    EXPECT_EQ(r.BinSeconds, 4u);  // 9999 s need three doublings of 4096 one-second bins
    EXPECT_EQ(r.BinsUsed, 9999u / 4u + 1u);
    std::uint64_t total = 0, errors = 0;
    for (std::size_t i = 0; i < kRateBinLimit; ++i) total += r.Frames[i], errors += r.ErrorFrames[i];
    EXPECT_EQ(total, frames);
    EXPECT_EQ(errors, stats->ErrorFrames);
    EXPECT_EQ(r.Frames[0], 1u + 4u);  // seconds 0 and 3
    EXPECT_EQ(stats->FramesPerSecondMax, 5u);
    EXPECT_EQ(stats->Stations[1].Master.Rotation.Count, frames - stats->ErrorFrames - 1);
}

// The one-second bins hold the frames whose time from the first frame lies in
// that second, at every bit rate (ticks that do not divide a second evenly),
// also when the stamps step back across a boundary.
TEST(StatsUnits, SecondBinsSplitExactlyWhereTheTimeCrossesASecond) {
    for (std::uint16_t baudIndex = 0; baudIndex <= 8; ++baudIndex) {
        MemoryRun probe;
        ASSERT_TRUE(StartMemoryRun(probe, baudIndex));
        const BaudTiming& baud = probe.Steps.Timing.Baud;
        // The first tick difference at or past one and two seconds, found by search.
        auto firstAt = [&](std::int64_t ns) {
            std::int64_t low = 0, high = std::int64_t{1} << 46;
            while (low < high) {
                std::int64_t mid = low + (high - low) / 2;
                if (TicksToNs(baud, mid) >= ns) high = mid;
                else low = mid + 1;
            }
            return static_cast<std::uint64_t>(low);
        };
        const std::uint64_t one = firstAt(1'000'000'000), two = firstAt(2'000'000'000);
        const std::uint64_t base = 1000;
        MemoryRun run;
        ASSERT_TRUE(StartMemoryRun(run, baudIndex));
        for (std::uint64_t at : {std::uint64_t{0}, one - 1, one, one - 1, two - 1, two, one, two + 1})
            Collect(run, FrameOf(test::Token(1, 1), 0, base + at));
        FinishAnalysis(run.Pass);
        const RateSeries& r = run.Stats->Rate;
        EXPECT_EQ(r.Frames[0], 3u) << "baud index " << baudIndex;
        EXPECT_EQ(r.Frames[1], 3u) << "baud index " << baudIndex;
        EXPECT_EQ(r.Frames[2], 2u) << "baud index " << baudIndex;
        EXPECT_EQ(run.Stats->FramesPerSecondMax, 3u) << "baud index " << baudIndex;
    }
}

}  // namespace
}  // namespace zelmot
