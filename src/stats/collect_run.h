// CollectBusStats: a capture run with the statistics as its sink.
#pragma once

#include <cstdio>

#include "common/outcome.h"
#include "run/command_line.h"
#include "stats/bus_stats.h"

namespace zelmot {

// Reads the run's capture files and fills stats (which must be fresh);
// progress lines go to progress when it is not null. Success, or the message
// of the first fault, which names the file.
Outcome CollectBusStats(const RunSettings& settings, BusStats& stats, std::FILE* progress);

}  // namespace zelmot
