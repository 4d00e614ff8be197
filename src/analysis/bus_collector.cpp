// The per-frame step of the bus figures. Links (token rotation, retries)
// run over every frame read; counts only over the frames in the
// StartRef/EndRef window.
#include "analysis/bus_collector.h"

#include <cassert>

#include "analysis/gap_buckets.h"

namespace zelmot {
namespace {

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

void TakeToken(BusCollector& collector, BusStats& stats, const FrameClass& c, std::uint64_t ticks,
               bool inWindow, FrameRef at) {
    const std::int64_t ns = at.Ns;
    MasterLink& link = collector.Masters[c.Sa];
    if (inWindow) {
        StationStats& station = Station(stats, c.Sa);
        station.Master.RecentTokens = {at, station.Master.RecentTokens[0]};
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

// A retry that follows the unanswered request itself, nothing between
// them, shows the master's slot time: the gap before the retry.
void NoteSlotTime(MasterFigures& master, const Exchange* settled, const FrameClass& c, std::int64_t gapNs, FrameRef at) {
    if (settled == nullptr || settled->Answered || settled->Request->Sa != c.Sa || settled->Request->Da != c.Da)
        return;
    if (gapNs < 0) return;
    if (master.SlotSamples == 0 || gapNs < master.SlotNs) {
        master.SlotNs = gapNs;
        master.SlotRetry = at;
    }
    ++master.SlotSamples;
}

void TakeRequest(BusCollector& collector, BusStats& stats, const AnalysedFrame& taken, const Exchange* settled) {
    const FrameClass& c = taken.Class;
    const bool inWindow = taken.InWindow;
    const std::int64_t ns = taken.Ns;
    MasterLink& link = collector.Masters[c.Sa];
    bool retry = link.HasRequest && !link.LastAnswered && link.LastDa == c.Da && link.LastFc == c.Fc;
    link.HasRequest = true;
    link.LastDa = c.Da;
    link.LastFc = c.Fc;
    link.LastAnswered = false;
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
        const FrameRef at{taken.ReferenceNumber, ns};
        NoteOccurrence(slave.Slave.Retried, at);
        NoteSlotTime(master.Master, settled, c, taken.Timing->GapTime, at);
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

void MergeRateBins(RateSeries& rate) {
    for (std::size_t i = 0; i < kRateBinLimit / 2; ++i) {
        rate.Frames[i] = rate.Frames[2 * i] + rate.Frames[2 * i + 1];
        rate.ErrorFrames[i] = rate.ErrorFrames[2 * i] + rate.ErrorFrames[2 * i + 1];
    }
    for (std::size_t i = kRateBinLimit / 2; i < kRateBinLimit; ++i) rate.Frames[i] = rate.ErrorFrames[i] = 0;
    rate.BinSeconds *= 2;
    rate.BinsUsed = (rate.BinsUsed + 1) / 2;
}

void CloseSecond(BusCollector& collector, BusStats& stats) {
    if (collector.SecondOpen && collector.CurrentSecondFrames > stats.FramesPerSecondMax)
        stats.FramesPerSecondMax = collector.CurrentSecondFrames;
    collector.SecondOpen = false;
}

// The smallest tick difference from the first frame whose time lies in
// second s or later; second 0 holds every earlier stamp too. TicksToNs never
// decreases as the difference grows, so the differences of one second are
// one range, and a frame within the range of the second counted last needs
// no division.
std::int64_t FirstTicksOfSecond(const BaudTiming& baud, std::uint64_t second) {
    __extension__ typedef __int128 Wide;
    constexpr std::int64_t kMax = INT64_MAX;
    if (second == 0) return INT64_MIN;
    if (baud.TickNumerator <= 0 || baud.TickDenominator <= 0) return kMax;  // every time is 0
    const Wide ns = Wide{static_cast<std::int64_t>(second)} * kNsPerSecond;
    if (ns > kMax) return kMax;
    const Wide guess = (ns * baud.TickDenominator + baud.TickNumerator - 1) / baud.TickNumerator;
    if (guess >= kMax) return kMax;
    auto ticks = static_cast<std::int64_t>(guess);
    // Exact against TicksToNs itself, whatever its rounding.
    while (ticks > INT64_MIN && TicksToNs(baud, ticks - 1) >= ns) --ticks;
    while (ticks < kMax && TicksToNs(baud, ticks) < ns) ++ticks;
    return ticks;
}

// The rate series and the one-second bins, by the time from the first frame
// in the window (earlier stamps count in the first second).
void CountRate(BusCollector& collector, BusStats& stats, std::uint64_t ticks, bool damaged) {
    const std::int64_t since = TickDifference(ticks, stats.FirstTicks);
    if (!collector.SecondOpen || since < collector.SecondFromTicks || since >= collector.SecondToTicks) {
        std::int64_t sinceNs = TicksToNs(collector.Baud, since);
        std::uint64_t second = sinceNs <= 0 ? 0 : static_cast<std::uint64_t>(sinceNs) / kNsPerSecond;
        CloseSecond(collector, stats);
        collector.SecondOpen = true;
        collector.CurrentSecond = second;
        collector.CurrentSecondFrames = 0;
        collector.SecondFromTicks = FirstTicksOfSecond(collector.Baud, second);
        collector.SecondToTicks = FirstTicksOfSecond(collector.Baud, second + 1);
        // The bins merge only here, so the second's bin holds until the next one.
        RateSeries& rate = stats.Rate;
        while (second / rate.BinSeconds >= kRateBinLimit) MergeRateBins(rate);
        collector.CurrentBin = static_cast<std::size_t>(second / rate.BinSeconds);
        if (collector.CurrentBin + 1 > rate.BinsUsed) rate.BinsUsed = static_cast<std::uint32_t>(collector.CurrentBin + 1);
    }
    ++collector.CurrentSecondFrames;
    ++stats.Rate.Frames[collector.CurrentBin];
    if (damaged) ++stats.Rate.ErrorFrames[collector.CurrentBin];
}

// The recorder's artefacts and the bus' longest silence, by the gap before
// a frame in the window. The first frame read has no gap; the frame after a
// lost record boundary stands for that boundary.
void CheckGap(BusCollector& collector, BusStats& stats, const AnalysedFrame& taken, std::int64_t previousNs) {
    const FrameRef at{taken.ReferenceNumber, taken.Ns};
    CaptureArtefacts& artefacts = stats.Artefacts;
    if (collector.ResyncsUnseen > 0) {
        NoteOccurrence(artefacts.Resyncs, at);
        artefacts.Resyncs.Count += collector.ResyncsUnseen - 1;
        collector.ResyncsUnseen = 0;
        AddMoment(artefacts.Spans, at.Ns, kArtefactMergeNs);
        return;
    }
    if (stats.FramesRead == 1) return;
    const std::int64_t gap = taken.Timing->GapTime;
    if (gap < 0) {
        NoteOccurrence(artefacts.ClockSteps, at);
        AddMoment(artefacts.Spans, at.Ns, kArtefactMergeNs);
    } else if (gap < collector.ShortGapNs) {
        NoteOccurrence(artefacts.ShortGaps, at);
        AddMoment(artefacts.Spans, at.Ns, kArtefactMergeNs);
    }
    if (gap > stats.LongestSilence.Ns) {
        stats.LongestSilence.Ns = gap;
        stats.LongestSilence.Before = FrameRef{taken.ReferenceNumber - 1, previousNs};
        stats.LongestSilence.After = at;
    }
}

void CountSummary(BusCollector& collector, BusStats& stats, const AnalysedFrame& taken) {
    const CaptureFrame& frame = *taken.Frame;
    const FrameTiming& times = *taken.Timing;
    const FrameClass& c = taken.Class;
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
    if (c.SaReadable) ++Station(stats, c.Sa).FramesSent;
    if (!c.Damaged) return;
    ++stats.ErrorFrames;
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit)
        if (frame.Status & (1u << bit)) ++stats.ErrorsByBit[bit];
    const FrameRef at{taken.ReferenceNumber, taken.Ns};
    NoteOccurrence(stats.Damaged, at);
    if (!c.SaReadable) return;
    StationStats& station = Station(stats, c.Sa);
    ++station.ErrorFrames;
    NoteOccurrence(station.Damaged, at);
}

}  // namespace

void StartBusCollection(BusCollector& collector, BusStats& stats, std::uint16_t baudIndex, const BaudTiming& baud) {
    collector.Baud = baud;
    stats.BaudIndex = baudIndex;
    stats.Baud = BaudBitRate(baudIndex);
    // Gaps of up to kShortestGapBits - 1 whole bit times, rounded (a gap in
    // ns is cut to the nanosecond: an exact 11 bit times may read 10.99):
    // below 10.5 bit times, ns x 2 x bit rate < 21 x 10^9.
    const std::uint64_t halfBits = 2 * kShortestGapBits - 1;
    collector.ShortGapNs = stats.Baud == 0 ? 0
                                           : static_cast<std::int64_t>((halfBits * kNsPerSecond + 2 * stats.Baud - 1) /
                                                                       (2 * std::uint64_t{stats.Baud}));
    stats.TicksPerBit = baud.TicksPerBit;
}

void CollectExchange(BusCollector& collector, BusStats& stats, const Exchange& exchange) {
    const PendingRequest& request = *exchange.Request;
    collector.Masters[request.Sa].LastAnswered = exchange.Answered;
    if (!exchange.Answered) {
        if (request.InWindow) CountSettled(stats, request, false, 0);
        return;
    }
    const AnalysedFrame& answer = *exchange.After;
    if (request.InWindow) {
        const SlaveFigures& figures = Station(stats, request.Da).Slave;
        if (figures.Response.Count == 0 || answer.Timing->GapTime > figures.Response.Max)
            Station(stats, request.Da).Slave.SlowestAnswer = FrameRef{answer.ReferenceNumber, answer.Ns};
        CountSettled(stats, request, true, answer.Timing->GapTime);
    }
    if (answer.InWindow && answer.Class.Kind == FrameKind::ShortAck) {
        StationStats& slave = Station(stats, request.Da);
        slave.AnsweredBySc = true;
        NoteHeard(slave, answer.Ns);
    }
}

void CollectFrame(BusCollector& collector, BusStats& stats, const AnalysedFrame& taken, const Exchange* settled) {
    if (settled != nullptr) CollectExchange(collector, stats, *settled);
    const CaptureFrame& frame = *taken.Frame;
    const FrameClass& c = taken.Class;
    const std::int64_t ns = taken.Ns;
    ++stats.FramesRead;
    const std::int64_t previousNs = collector.LastAbsNs;
    collector.LastAbsNs = ns;
    // A kept resynchronisation waits for a time only after a lost record boundary.
    if (collector.ResyncsUntimed < stats.Resyncs) TimeWaitingResyncs(collector, stats, ns);
    if (taken.PastEnd) return;

    const bool inWindow = taken.InWindow;
    if (c.Kind == FrameKind::Token && !c.Damaged)
        TakeToken(collector, stats, c, frame.TimeStamp, inWindow, FrameRef{taken.ReferenceNumber, ns});
    if (c.Request) TakeRequest(collector, stats, taken, settled);
    if (!inWindow) {
        collector.ResyncsUnseen = 0;
        return;
    }
    if (c.Response) TakeResponse(stats, c, ns);
    if (!c.Damaged && c.Kind == FrameKind::Unknown) {
        ++stats.UnknownFrames;
        NoteOccurrence(stats.Unknown, FrameRef{taken.ReferenceNumber, ns});
    }
    CheckGap(collector, stats, taken, previousNs);
    CountSummary(collector, stats, taken);
}

void TimeWaitingResyncs(BusCollector& collector, BusStats& stats, std::int64_t ns) {
    std::size_t timed = stats.Resyncs < kResyncTimesKept ? static_cast<std::size_t>(stats.Resyncs) : kResyncTimesKept;
    for (; collector.ResyncsUntimed < timed; ++collector.ResyncsUntimed)
        stats.ResyncTimes[collector.ResyncsUntimed].AtNs = ns;
}

void CollectResync(BusCollector& collector, BusStats& stats, std::uint32_t referenceNumber) {
    ++collector.ResyncsUnseen;
    if (stats.Resyncs < kResyncTimesKept) stats.ResyncTimes[stats.Resyncs].ReferenceNumber = referenceNumber;
    ++stats.Resyncs;
}

}  // namespace zelmot
