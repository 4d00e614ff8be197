// The text report: aligned tables, one section per group of figures.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"

namespace zelmot {

// matches: the slaves' device files; without them the report names no device.
std::string TextReport(const BusStats& stats, const GsdMatches& matches);
std::string TextReport(const BusStats& stats);

}  // namespace zelmot
