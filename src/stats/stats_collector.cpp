// The per-frame step of the statistics. Links (timing, answers, token
// rotation, retries) run over every frame read; counts only over the frames
// in the StartRef/EndRef window. The frame just past EndRef only settles
// whether the last request was answered.
#include "stats/stats_collector.h"

#include <bit>
#include <cassert>

#include "stats/frame_class.h"

namespace zelmot {
namespace {

__extension__ typedef unsigned __int128 WideUnsigned;

constexpr std::uint64_t kNsPerSecond = 1'000'000'000;

StationStats& Station(BusStats& stats, std::uint8_t address) {
    assert(address < kStationCount);  // addresses come masked with fdl::AddressMask
    return stats.Stations[address];
}

void NoteHeard(StationStats& station, std::int64_t ns) {
    if (!station.Heard || ns < station.FirstHeardNs) station.FirstHeardNs = ns;
    if (!station.Heard || ns > station.LastHeardNs) station.LastHeardNs = ns;
    station.Heard = true;
}

bool Answers(const FrameClass& c, const PendingRequest& request) {
    if (!c.Response) return false;
    if (c.Kind == FrameKind::ShortAck) return true;
    return c.Da == request.Sa && c.Sa == request.Da;
}

// Counts a settled request of the window for its master and its slave.
void CountSettled(BusStats& stats, const PendingRequest& request, bool answered, std::int64_t responseNs) {
    MasterFigures& master = Station(stats, request.Sa).Master;
    SlaveFigures& slave = Station(stats, request.Da).Slave;
    if (answered) {
        ++master.Answered;
        ++slave.Answered;
        AddDuration(slave.Response, responseNs);
    } else if (ExpectsNoAnswer(request.Da, request.Fc)) {
        ++master.NoAnswerExpected;
        ++slave.NoAnswerExpected;
    } else if (IsFdlStatusRequest(request.Fc)) {
        ++master.FdlStatusUnanswered;
        ++slave.FdlStatusUnanswered;
    } else {
        ++master.Unanswered;
        ++slave.Unanswered;
    }
}

// The frame read after a request (null: none) decides whether it was
// answered. An SC in the window answers for the request's DA even when the
// request lies before it.
void SettlePending(StatsCollector& collector, BusStats& stats, const FrameClass& c, const CaptureFrame* frame,
                   bool frameCounts, std::int64_t frameNs, std::int64_t gapNs) {
    PendingRequest& request = collector.Pending;
    if (!request.Active) return;
    request.Active = false;
    bool answered = Answers(c, request);
    collector.Masters[request.Sa].LastAnswered = answered;
    if (request.InWindow) CountSettled(stats, request, answered, gapNs);
    SettleDpRequest(collector.Dp, stats, request.Da, request.Fc, request.InWindow, frame, answered, frameNs);
    if (answered && frameCounts && c.Kind == FrameKind::ShortAck) {
        StationStats& slave = Station(stats, request.Da);
        slave.AnsweredBySc = true;
        NoteHeard(slave, frameNs);
    }
}

void TakeToken(StatsCollector& collector, BusStats& stats, const FrameClass& c, std::uint64_t ticks,
               bool inWindow, std::int64_t ns) {
    MasterLink& link = collector.Masters[c.Sa];
    if (inWindow) {
        StationStats& station = Station(stats, c.Sa);
        station.SentToken = true;
        NoteHeard(station, ns);
        ++station.Master.Tokens;
        ++stats.Tokens;
        if (link.HasToken)
            AddDuration(station.Master.Rotation,
                        TicksToNs(collector.Baud, TickDifference(ticks, link.LastTokenTicks)));
    }
    link.HasToken = true;
    link.LastTokenTicks = ticks;
}

void TakeRequest(StatsCollector& collector, BusStats& stats, const CaptureFrame& frame, const FrameClass& c,
                 bool inWindow, std::int64_t ns) {
    TakeDpRequest(collector.Dp, stats, frame, c, inWindow, ns);
    MasterLink& link = collector.Masters[c.Sa];
    bool retry = link.HasRequest && !link.LastAnswered && link.LastDa == c.Da && link.LastFc == c.Fc;
    link.HasRequest = true;
    link.LastDa = c.Da;
    link.LastFc = c.Fc;
    link.LastAnswered = false;
    collector.Pending = PendingRequest{true, inWindow, c.Da, c.Sa, c.Fc};
    if (!inWindow) return;
    StationStats& master = Station(stats, c.Sa);
    StationStats& slave = Station(stats, c.Da);
    master.SentRequest = true;
    NoteHeard(master, ns);
    slave.AddressedByRequest = true;
    ++master.Master.Requests;
    ++slave.Slave.Requests;
    ++stats.Requests;
    if (retry) {
        ++master.Master.Retries;
        ++slave.Slave.Retries;
    }
}

void TakeResponse(BusStats& stats, const FrameClass& c, std::int64_t ns) {
    ++stats.Responses;
    if (c.Kind == FrameKind::ShortAck) return;  // its station is known only from the request before it
    StationStats& station = Station(stats, c.Sa);
    station.SentResponse = true;
    ++station.Slave.Responses;
    NoteHeard(station, ns);
}

// Gap in whole bit times (ns x bit rate / 10^9, rounded down) to its bucket.
std::size_t GapBucketOf(std::int64_t gapNs, std::uint32_t baud) {
    if (gapNs <= 0) return 0;
    auto ns = static_cast<std::uint64_t>(gapNs);
    if (ns < (std::uint64_t{1} << 38))  // the product fits in 64 bits: the usual case, no wide division
        return static_cast<std::size_t>(std::bit_width(ns * baud / kNsPerSecond));
    WideUnsigned bits = WideUnsigned{ns} * baud / kNsPerSecond;
    if (bits >= (WideUnsigned{1} << (kGapBucketCount - 2))) return kGapBucketCount - 1;
    return static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(bits)));
}

void MergeRateBins(RateSeries& rate) {
    for (std::size_t i = 0; i < kRateBinLimit / 2; ++i) {
        rate.Frames[i] = rate.Frames[2 * i] + rate.Frames[2 * i + 1];
        rate.ErrorFrames[i] = rate.ErrorFrames[2 * i] + rate.ErrorFrames[2 * i + 1];
    }
    for (std::size_t i = kRateBinLimit / 2; i < kRateBinLimit; ++i) rate.Frames[i] = rate.ErrorFrames[i] = 0;
    rate.BinSeconds *= 2;
    rate.BinsUsed = (rate.BinsUsed + 1) / 2;
}

void CloseSecond(StatsCollector& collector, BusStats& stats) {
    if (collector.SecondOpen && collector.CurrentSecondFrames > stats.FramesPerSecondMax)
        stats.FramesPerSecondMax = collector.CurrentSecondFrames;
    collector.SecondOpen = false;
}

// The rate series and the one-second bins, by the time from the first frame
// in the window (earlier stamps count in the first second).
void CountRate(StatsCollector& collector, BusStats& stats, std::uint64_t ticks, bool damaged) {
    std::int64_t sinceNs = TicksToNs(collector.Baud, TickDifference(ticks, stats.FirstTicks));
    std::uint64_t second = sinceNs <= 0 ? 0 : static_cast<std::uint64_t>(sinceNs) / kNsPerSecond;
    if (!collector.SecondOpen || second != collector.CurrentSecond) {
        CloseSecond(collector, stats);
        collector.SecondOpen = true;
        collector.CurrentSecond = second;
        collector.CurrentSecondFrames = 0;
    }
    ++collector.CurrentSecondFrames;
    RateSeries& rate = stats.Rate;
    while (second / rate.BinSeconds >= kRateBinLimit) MergeRateBins(rate);
    std::size_t bin = static_cast<std::size_t>(second / rate.BinSeconds);
    ++rate.Frames[bin];
    if (damaged) ++rate.ErrorFrames[bin];
    if (bin + 1 > rate.BinsUsed) rate.BinsUsed = static_cast<std::uint32_t>(bin + 1);
}

void CountSummary(StatsCollector& collector, BusStats& stats, const CaptureFrame& frame, const FrameTiming& times,
                  const FrameClass& c) {
    if (stats.Frames == 0) {
        stats.FirstTicks = frame.TimeStamp;
        stats.FirstNs = times.AbsTime;
        stats.Rate.StartNs = times.AbsTime;
    }
    ++stats.Frames;
    stats.LastTicks = frame.TimeStamp;
    stats.LastNs = times.AbsTime;
    stats.BusBytes += frame.Length;
    ++stats.GapBuckets[GapBucketOf(times.GapTime, stats.Baud)];
    CountRate(collector, stats, frame.TimeStamp, c.Damaged);
    if (!c.Damaged) return;
    ++stats.ErrorFrames;
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit)
        if (frame.Status & (1u << bit)) ++stats.ErrorsByBit[bit];
    if (c.SaReadable) ++Station(stats, c.Sa).ErrorFrames;
}

}  // namespace

void StartStatsCollection(StatsCollector& collector, BusStats& stats, std::uint16_t baudIndex,
                          const BaudTiming& baud) {
    collector.Baud = baud;
    stats.BaudIndex = baudIndex;
    stats.Baud = BaudBitRate(baudIndex);
    stats.TicksPerBit = baud.TicksPerBit;
}

bool CollectFrame(StatsCollector& collector, BusStats& stats, const RunFrame& taken) {
    const CaptureFrame& frame = *taken.Frame;
    const FrameTiming& times = *taken.Timing;
    ++stats.FramesRead;
    std::int64_t ns = times.AbsTime;
    collector.LastAbsNs = ns;
    std::size_t timed = stats.Resyncs < kResyncTimesKept ? static_cast<std::size_t>(stats.Resyncs) : kResyncTimesKept;
    for (; collector.ResyncsUntimed < timed; ++collector.ResyncsUntimed)
        stats.ResyncTimes[collector.ResyncsUntimed].AtNs = ns;

    FrameClass c = ClassifyFrame(frame);
    bool pastEnd = taken.Place == WindowPlace::PastEnd;
    bool inWindow = taken.Place == WindowPlace::Inside;
    SettlePending(collector, stats, c, &frame, inWindow, ns, times.GapTime);
    if (pastEnd) return false;

    if (c.Kind == FrameKind::Token && !c.Damaged) TakeToken(collector, stats, c, frame.TimeStamp, inWindow, ns);
    if (c.Request) TakeRequest(collector, stats, frame, c, inWindow, ns);
    if (!inWindow) return true;
    if (c.Response) TakeResponse(stats, c, ns);
    if (!c.Damaged && c.Kind == FrameKind::Unknown) ++stats.UnknownFrames;
    CountSummary(collector, stats, frame, times, c);
    return true;
}

void SettleLastRequest(StatsCollector& collector, BusStats& stats) {
    SettlePending(collector, stats, FrameClass{}, nullptr, false, 0, 0);
}

void CollectResync(StatsCollector& collector, BusStats& stats, std::uint32_t referenceNumber) {
    (void)collector;
    if (stats.Resyncs < kResyncTimesKept) stats.ResyncTimes[stats.Resyncs].ReferenceNumber = referenceNumber;
    ++stats.Resyncs;
}

}  // namespace zelmot
