// Format=events: the DP events as CSV, one row per event kept.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"

namespace zelmot {

// matches: the slaves' device files, whose names the events then take.
std::string EventsReport(const BusStats& stats, const GsdMatches& matches);
std::string EventsReport(const BusStats& stats);

}  // namespace zelmot
