// The end of the bus figures' collection.
#pragma once

#include "analysis/bus_collector.h"
#include "analysis/bus_stats.h"

namespace zelmot {

// The end of reading (the last request settled): derives roles, means,
// percentiles, bus load and rates.
void FinishBusStats(BusCollector& collector, BusStats& stats);

}  // namespace zelmot
