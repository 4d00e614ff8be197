// The findings rules as the fault lines apply them, in groups: the drops
// out of data exchange and the watchdog (rules 2 to 6), the counts of the
// capture (capture_gap, errors_local, errors_spread, retries,
// slow_answers), what single slaves and masters show (not_ready,
// diagnosis, negative_answers, double_address, device_replaced,
// master_clear), and the near misses and plant changes.
#pragma once

#include "gen_fault_line.h"
#include "gen_tally.h"

namespace zelmot {

struct RuleInput {
    const TrafficState& Traffic;
    const CaptureTally& Tally;
    const GenOptions& Options;
};

void AddDropLines(FaultLines& lines, const RuleInput& in);
void AddCountLines(FaultLines& lines, const RuleInput& in);
void AddStationLines(FaultLines& lines, const RuleInput& in);
void AddNearMissLines(FaultLines& lines, const RuleInput& in);
void AddChangeLines(FaultLines& lines, const RuleInput& in);

// Whether station qualifies for errors_local: at least 5 damaged frames of
// its own, a damaged share at least 10 times that of all other frames.
bool ErrorsLocal(const CaptureTally& tally, std::size_t station);

// The figures of errors_local (frames=, damaged=, other_frames=,
// other_damaged=) and of retries (requests=, retries=).
std::string ShareWords(const CaptureTally& tally, std::size_t station);
std::string RetryWords(const StationTally& station);

// The request interval that ends at a drop, from the AbsTimes of its two
// requests; -1 when the minute pass found none.
std::int64_t DropIntervalNs(const FaultLines& lines, const DropSeen& drop);

// The watchdog figures of a slave's longest request interval in data
// exchange: interval_ns, its first request, watchdog_ms.
std::string IntervalWords(const FaultLines& lines, const StationTally& station, std::uint32_t watchdogMs);
std::int64_t LongestIntervalNs(const FaultLines& lines, const StationTally& station);

}  // namespace zelmot
