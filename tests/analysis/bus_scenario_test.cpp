// Hand-built captures whose report is known by construction: a token ring of
// two masters, answers by a frame and by an SC, a slave that never answers
// (with retries), send-data-no-acknowledge to 127, FDL-status scans of empty
// addresses, receive errors, short frames, the StartRef/EndRef window and a
// resynchronisation, in memory and from a capture file. At 12 Mbit/s a tick is 1000/48 ns and a 6-byte SD1
// lasts 264 ticks.
#include <gtest/gtest.h>

#include "analysis_support.h"
#include "capture/frame_timing.h"

namespace zelmot {
namespace {

using test::Bytes;
using test::Placed;
using test::ShortAck;
using test::Sd1;
using test::Token;

std::int64_t Ns(std::int64_t ticks) { return ticks * 1000 / 48; }

const std::vector<Placed> kRing = {
    {0, Token(2, 1)},
    {1000, Sd1(5, 2, 0x5D)},   // request 2 -> 5
    {1744, Sd1(2, 5, 0x08)},   // its answer after 480 ticks
    {3000, Sd1(6, 2, 0x5D)},   // 6 never answers
    {4000, Sd1(6, 2, 0x5D)},   // retry
    {5000, Sd1(6, 2, 0x5D)},   // retry
    {6000, Token(1, 2)},
    {7000, test::Sd2(127, 1, 0x44, {0x01, 0x02})},  // send data no acknowledge to 127
    {8000, Sd1(20, 1, 0x49)},  // FDL status to empty addresses
    {9000, Sd1(21, 1, 0x49)},
    {10000, Sd1(7, 1, 0x5D)},
    {11224, ShortAck()},       // answers for 7 after 960 ticks
    {11500, Sd1(8, 1, 0x5D)},  // followed by a damaged frame: unanswered
    {12000, Sd1(3, 9, 0x08), 0x41},
    {13000, Sd1(1, 2, 0x5D), 0x80},
    {14000, Token(2, 1)},
    {15000, Token(1, 2)},
    {16000, Sd1(9, 1, 0x5D)},
    {16500, Sd1(1, 10, 0x08)},  // a response, but from the wrong station
    {17000, Token(2, 1)},
    {20000, Bytes{0x00, 0x01}},  // unknown delimiter
    {21000, Bytes{0xDC, 0x02}},  // a token without its SA: unknown
    {22000, Sd1(2, 1, 0x49)},    // FDL status to master 2,
    {22500, Sd1(1, 2, 0x00)},    // which answers
    {23000, Token(2, 1)},
    {30000, Token(1, 2)},  // the last record: no frame (nothing follows it)
};

// Writes the frames as a capture file and collects it as zelmot-stats does.
std::unique_ptr<BusStats> CollectPlaced(const test::TempDir& dir, const std::vector<Placed>& frames) {
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(test::StreamOf(frames), {}));
    return test::CollectRun(dir);
}

TEST(StatsScenario, SummaryErrorsAndGapsOfATokenRing) {
    test::TempDir dir;
    auto s = CollectPlaced(dir, kRing);
    // The same frames in memory give the same figures as from the file.
    auto inMemory = test::AnalyseFrames(kRing);
    EXPECT_EQ(inMemory->FramesRead, s->FramesRead);
    EXPECT_EQ(inMemory->SpanNs, s->SpanNs);
    EXPECT_EQ(inMemory->GapBuckets, s->GapBuckets);
    EXPECT_EQ(inMemory->Stations[5].Slave.Response.Buckets, s->Stations[5].Slave.Response.Buckets);
    EXPECT_EQ(inMemory->Stations[1].Master.Rotation.Buckets, s->Stations[1].Master.Rotation.Buckets);
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i + 1 < kRing.size(); ++i) bytes += kRing[i].Frame.size();
    EXPECT_EQ(s->FilesRead, 1u);
    EXPECT_EQ(s->Frames, 25u);
    EXPECT_EQ(s->FramesRead, 25u);
    EXPECT_EQ(s->Baud, 12'000'000u);
    EXPECT_EQ(s->FirstNs, 0);
    EXPECT_EQ(s->LastNs, Ns(23000));
    EXPECT_EQ(s->SpanNs, Ns(23000));
    EXPECT_EQ(s->BusBytes, bytes);
    EXPECT_DOUBLE_EQ(s->BusLoadPercent, static_cast<double>(Ns(static_cast<std::int64_t>(bytes) * 44)) /
                                            static_cast<double>(Ns(23000)) * 100.0);
    EXPECT_DOUBLE_EQ(s->FramesPerSecondAvg, 25.0 / (static_cast<double>(Ns(23000)) / 1e9));
    EXPECT_EQ(s->FramesPerSecondMax, 25u);
    EXPECT_EQ(s->Tokens, 6u);
    EXPECT_EQ(s->Requests, 11u);
    EXPECT_EQ(s->Responses, 4u);
    EXPECT_EQ(s->UnknownFrames, 2u);
    EXPECT_EQ(s->Resyncs, 0u);
    EXPECT_EQ(s->ErrorFrames, 2u);
    const std::array<std::uint64_t, 8> byBit{1, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(s->ErrorsByBit, byBit);
    std::uint64_t gapTotal = 0;
    for (std::uint64_t n : s->GapBuckets) gapTotal += n;
    EXPECT_EQ(gapTotal, 25u);
    EXPECT_EQ(s->GapBuckets[0], 1u);  // the first frame's gap of 0
    EXPECT_GE(s->GapBuckets[7], 1u);  // the answer's 120 bit times lie in [64, 128)
    EXPECT_EQ(s->Rate.BinsUsed, 1u);
    EXPECT_EQ(s->Rate.Frames[0], 25u);
    EXPECT_EQ(s->Rate.ErrorFrames[0], 2u);
}

TEST(StatsScenario, MastersTokensRotationRequestsAndRetries) {
    auto s = test::AnalyseFrames(kRing);
    const StationStats& m1 = s->Stations[1];
    EXPECT_EQ(m1.Role, StationRole::Master);
    EXPECT_TRUE(m1.HasMaster);
    EXPECT_FALSE(m1.HasSlave);
    EXPECT_EQ(m1.FirstHeardNs, 0);
    EXPECT_EQ(m1.LastHeardNs, Ns(23000));
    EXPECT_EQ(m1.Master.Tokens, 4u);
    const DurationStats& r1 = m1.Master.Rotation;
    EXPECT_EQ(r1.Count, 3u);  // 14000, 3000 and 6000 ticks
    EXPECT_EQ(r1.Min, Ns(3000));
    EXPECT_EQ(r1.Max, Ns(14000));
    EXPECT_DOUBLE_EQ(r1.Mean, static_cast<double>(Ns(14000) + Ns(3000) + Ns(6000)) / 3.0);
    EXPECT_NEAR(static_cast<double>(r1.P50), static_cast<double>(Ns(6000)), Ns(6000) * 0.01);
    EXPECT_EQ(r1.P95, Ns(14000));
    EXPECT_EQ(r1.P99, Ns(14000));
    EXPECT_EQ(m1.Master.Requests, 7u);
    EXPECT_EQ(m1.Master.Answered, 2u);
    EXPECT_EQ(m1.Master.Unanswered, 2u);
    EXPECT_EQ(m1.Master.NoAnswerExpected, 1u);
    EXPECT_EQ(m1.Master.FdlStatusUnanswered, 2u);
    EXPECT_EQ(m1.Master.Retries, 0u);
    EXPECT_EQ(m1.ErrorFrames, 0u);

    const StationStats& m2 = s->Stations[2];
    EXPECT_EQ(m2.Role, StationRole::Both);
    EXPECT_EQ(m2.Master.Tokens, 2u);
    EXPECT_EQ(m2.Master.Rotation.Count, 1u);
    EXPECT_EQ(m2.Master.Rotation.Min, Ns(9000));
    EXPECT_EQ(m2.Master.Requests, 4u);
    EXPECT_EQ(m2.Master.Answered, 1u);
    EXPECT_EQ(m2.Master.Unanswered, 3u);
    EXPECT_EQ(m2.Master.Retries, 2u);
    EXPECT_EQ(m2.ErrorFrames, 1u);
    EXPECT_EQ(m2.FirstHeardNs, Ns(1000));
    EXPECT_EQ(m2.LastHeardNs, Ns(22500));
    EXPECT_EQ(m2.Slave.Requests, 1u);
    EXPECT_EQ(m2.Slave.Response.Min, Ns(22500 - 22000 - 264));
}

TEST(StatsScenario, SlavesAnswersSilentStationsAndListing) {
    auto s = test::AnalyseFrames(kRing);
    struct Expect {
        std::uint8_t Address;
        StationRole Role;
        bool HasMaster, HasSlave;
        std::uint64_t Requests, Answered, Unanswered, NoAnswer, FdlStatus, Retries, ErrorFrames;
        std::int64_t ResponseNs;  // -1: none
    };
    const Expect cases[] = {
        {5, StationRole::Slave, false, true, 1, 1, 0, 0, 0, 0, 0, Ns(480)},
        {6, StationRole::Silent, false, true, 3, 0, 3, 0, 0, 2, 0, -1},
        {7, StationRole::Slave, false, true, 1, 1, 0, 0, 0, 0, 0, Ns(960)},
        {8, StationRole::Silent, false, true, 1, 0, 1, 0, 0, 0, 0, -1},
        {9, StationRole::Silent, false, true, 1, 0, 1, 0, 0, 0, 1, -1},
        {10, StationRole::Slave, false, true, 0, 0, 0, 0, 0, 0, 0, -1},
        {20, StationRole::Silent, false, true, 1, 0, 0, 0, 1, 0, 0, -1},
        {21, StationRole::Silent, false, true, 1, 0, 0, 0, 1, 0, 0, -1},
        {127, StationRole::Silent, false, true, 1, 0, 0, 1, 0, 0, 0, -1},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(static_cast<int>(e.Address));
        const StationStats& st = s->Stations[e.Address];
        EXPECT_TRUE(st.Listed);
        EXPECT_EQ(st.Role, e.Role);
        EXPECT_EQ(st.Heard, e.Role != StationRole::Silent);
        EXPECT_EQ(st.HasMaster, e.HasMaster);
        EXPECT_EQ(st.HasSlave, e.HasSlave);
        const SlaveFigures& v = st.Slave;
        EXPECT_EQ(v.Requests, e.Requests);
        EXPECT_EQ(v.Answered, e.Answered);
        EXPECT_EQ(v.Unanswered, e.Unanswered);
        EXPECT_EQ(v.NoAnswerExpected, e.NoAnswer);
        EXPECT_EQ(v.FdlStatusUnanswered, e.FdlStatus);
        EXPECT_EQ(v.Retries, e.Retries);
        EXPECT_EQ(st.ErrorFrames, e.ErrorFrames);
        EXPECT_EQ(v.Response.Count, e.ResponseNs < 0 ? 0u : 1u);
        if (e.ResponseNs >= 0) {
            EXPECT_EQ(v.Response.Min, e.ResponseNs);
            EXPECT_EQ(v.Response.P50, e.ResponseNs);
            EXPECT_EQ(v.Response.P99, e.ResponseNs);
        }
    }
    EXPECT_EQ(s->Stations[7].FirstHeardNs, Ns(11224));  // heard through the SC
    // The damaged frame's DA (3) is not trusted; a token's DA is not "addressed".
    std::vector<int> listed;
    for (std::size_t a = 0; a < kStationCount; ++a)
        if (s->Stations[a].Listed) listed.push_back(static_cast<int>(a));
    EXPECT_EQ(listed, (std::vector<int>{1, 2, 5, 6, 7, 8, 9, 10, 20, 21, 127}));
}

// Settled details 2 and 3: links reach before StartRef; the frame just past
// EndRef settles the last answer but makes nobody heard.
TEST(StatsScenario, WindowCountsOnlyItsFramesButLinksReachOutside) {
    const std::vector<Placed> frames = {
        {0, Token(1, 1)},          {1000, Sd1(6, 1, 0x5D)}, {2000, Token(1, 1)}, {3000, Sd1(6, 1, 0x5D)},
        {3600, Sd1(5, 1, 0x5D)}, {4200, ShortAck()},       {5000, Token(1, 1)}, {9000, Token(1, 1)},
    };
    auto s = test::AnalyseFrames(frames, {"StartRef=3", "EndRef=5"});
    EXPECT_EQ(s->Frames, 3u);
    EXPECT_EQ(s->FramesRead, 6u);  // the one past EndRef included
    EXPECT_EQ(s->FirstNs, Ns(2000));
    EXPECT_EQ(s->LastNs, Ns(3600));
    const StationStats& m = s->Stations[1];
    EXPECT_EQ(m.FirstHeardNs, Ns(2000));
    EXPECT_EQ(m.Master.Tokens, 1u);
    ASSERT_EQ(m.Master.Rotation.Count, 1u);
    EXPECT_EQ(m.Master.Rotation.Min, Ns(2000));  // from the token before the window
    EXPECT_EQ(m.Master.Requests, 2u);
    EXPECT_EQ(m.Master.Retries, 1u);  // of the request before the window
    EXPECT_EQ(m.Master.Answered, 1u);
    EXPECT_EQ(m.Master.Unanswered, 1u);
    const StationStats& answered = s->Stations[5];
    EXPECT_EQ(answered.Role, StationRole::Silent);
    EXPECT_FALSE(answered.Heard);
    EXPECT_EQ(answered.Slave.Answered, 1u);
    EXPECT_EQ(answered.Slave.Response.Min, Ns(4200 - 3600 - 264));
    EXPECT_EQ(s->Stations[6].Slave.Retries, 1u);
    EXPECT_EQ(s->Stations[6].Slave.Requests, 1u);
}

TEST(StatsScenario, ResyncIsCountedWithTheTimeOfTheFrameAfterIt) {
    test::TempDir dir;
    std::vector<Placed> frames;
    for (int i = 0; i < 120; ++i) frames.push_back({1000u * i, Token(1, 1)});
    Bytes stream = test::StreamOf(frames);
    Bytes bad = test::RecordBytes(150000, Sd1(7, 1, 0x5D));
    bad[7] = 3;  // a length that lies
    test::Append(stream, bad);
    frames.clear();
    for (int i = 0; i < 120; ++i) frames.push_back({200000u + 1000u * i, Token(1, 1)});
    test::Append(stream, test::StreamOf(frames));
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {}));
    auto s = test::CollectRun(dir);
    EXPECT_EQ(s->Resyncs, 1u);
    EXPECT_EQ(s->ResyncTimes[0].ReferenceNumber, 120u);
    EXPECT_EQ(s->ResyncTimes[0].AtNs, Ns(150000));  // the lying record's frame comes after the note
    EXPECT_EQ(s->Frames, 120u + 1u + 119u);  // the last record has no frame
}

}  // namespace
}  // namespace zelmot
