// The one-pass collection of the bus statistics: the state that links a frame
// to the frames read before it (timing, the request waiting for its answer,
// each master's last token and last request, the one-second bin being
// counted) and the steps the run calls per frame and per event.
#pragma once

#include <array>
#include <cstdint>

#include "capture/frame_timing.h"
#include "run/capture_run.h"
#include "stats/bus_stats.h"
#include "stats/dp_tracker.h"

namespace zelmot {

// A request read last, waiting for the next frame to say whether it is answered.
struct PendingRequest {
    bool Active = false;
    bool InWindow = false;
    std::uint8_t Da = 0;
    std::uint8_t Sa = 0;
    std::uint8_t Fc = 0;
};

// What a master's next token and next request are compared with; kept for
// every frame read, inside the window or before it.
struct MasterLink {
    bool HasToken = false;
    std::uint64_t LastTokenTicks = 0;
    bool HasRequest = false;
    std::uint8_t LastDa = 0;
    std::uint8_t LastFc = 0;
    bool LastAnswered = false;
};

struct StatsCollector {
    BaudTiming Baud;
    PendingRequest Pending;
    std::array<MasterLink, kStationCount> Masters{};
    bool SecondOpen = false;  // a one-second bin is being counted
    std::uint64_t CurrentSecond = 0;
    std::uint64_t CurrentSecondFrames = 0;
    std::size_t ResyncsUntimed = 0;  // ResyncTimes from here on wait for the next frame's time
    std::int64_t LastAbsNs = 0;      // AbsTime of the frame read last
    DpTracker Dp;
};

// Sets the collection up for a run whose first header gave this baud index
// and timing.
void StartStatsCollection(StatsCollector& collector, BusStats& stats, std::uint16_t baudIndex,
                          const BaudTiming& baud);

// Takes the next frame read, numbered, timed and placed by the run. False
// once the frame lies past EndRef: it has settled the last request, and
// reading ends.
bool CollectFrame(StatsCollector& collector, BusStats& stats, const RunFrame& frame);

// A record boundary was lost after `referenceNumber` frames.
void CollectResync(StatsCollector& collector, BusStats& stats, std::uint32_t referenceNumber);

// A request read last, with no frame after it, is unanswered.
void SettleLastRequest(StatsCollector& collector, BusStats& stats);

// The end of reading: settles what waits, then derives roles, means,
// percentiles, bus load and rates.
void FinishBusStats(StatsCollector& collector, BusStats& stats);

// Adds one duration sample, ns.
void AddDuration(DurationStats& stats, std::int64_t ns);

// The nearest-rank p-th percentile (0 < p <= 100) read from the buckets;
// exact at the first and last rank and below 64 ns, else within 1/128.
std::int64_t DurationPercentile(const DurationStats& stats, unsigned p);

}  // namespace zelmot
