// The figures derived once reading has ended: the roles and which station
// parts exist, means and percentiles, span, bus load and frame rates.
#include "analysis/finish_stats.h"

namespace zelmot {
namespace {

StationRole RoleOf(const StationStats& s) {
    bool master = s.SentToken || s.SentRequest;
    bool slave = s.SentResponse || s.AnsweredBySc;
    if (master && slave) return StationRole::Both;
    if (master) return StationRole::Master;
    if (slave) return StationRole::Slave;
    return StationRole::Silent;
}

void FinishStation(StationStats& s) {
    s.Role = RoleOf(s);
    s.Listed = s.Heard || s.AddressedByRequest || s.ErrorFrames > 0;
    s.HasMaster = s.SentToken || s.SentRequest;
    s.HasSlave = s.SentResponse || s.AnsweredBySc || s.AddressedByRequest;
    FinishDuration(s.Master.Rotation);
    FinishDuration(s.Slave.Response);
}

}  // namespace

void FinishBusStats(BusCollector& collector, BusStats& stats) {
    if (collector.SecondOpen && collector.CurrentSecondFrames > stats.FramesPerSecondMax)
        stats.FramesPerSecondMax = collector.CurrentSecondFrames;
    collector.SecondOpen = false;
    // While the series still has one-second bins they are the exact count,
    // also for stamps that step back into an earlier second.
    if (stats.Rate.BinSeconds == 1)
        for (std::size_t i = 0; i < stats.Rate.BinsUsed; ++i)
            if (stats.Rate.Frames[i] > stats.FramesPerSecondMax) stats.FramesPerSecondMax = stats.Rate.Frames[i];
    TimeWaitingResyncs(collector, stats, collector.LastAbsNs);

    const BaudTiming& baud = collector.Baud;
    if (stats.Frames > 0) stats.SpanNs = TicksToNs(baud, TickDifference(stats.LastTicks, stats.FirstTicks));
    stats.BusBitNs = TicksToNs(baud, static_cast<std::int64_t>(stats.BusBytes * baud.TicksPerBit * 11u));
    if (stats.SpanNs > 0) {
        stats.BusLoadPercent = static_cast<double>(stats.BusBitNs) / static_cast<double>(stats.SpanNs) * 100.0;
        stats.FramesPerSecondAvg = static_cast<double>(stats.Frames) / (static_cast<double>(stats.SpanNs) / 1e9);
    }
    for (StationStats& s : stats.Stations) FinishStation(s);
}

}  // namespace zelmot
