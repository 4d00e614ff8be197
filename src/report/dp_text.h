// The DP parts of the text report: the "DP slaves" table and the "Events"
// section.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"

namespace zelmot {

// matches: the slaves' device files, whose names the diagnoses and events
// then take.
std::string DpSlavesSection(const BusStats& stats, const GsdMatches& matches);
std::string DpEventsSection(const BusStats& stats, const GsdMatches& matches);

}  // namespace zelmot
