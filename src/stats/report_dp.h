// The DP parts of the reports: a station's "dp" object and the "events"
// array of the report document (report_dp_json.cpp), and the "DP slaves"
// table and "Events" section of the text report (report_dp_text.cpp).
#pragma once

#include <string>

#include "stats/bus_stats.h"
#include "stats/report_document.h"

namespace zelmot {

// Null for a station that got no DP request.
ReportDocument DpStationJson(const DpSlaveStats& slave);
ReportDocument DpEventsJson(const DpEvents& events);

std::string DpSlavesSection(const BusStats& stats);
std::string DpEventsSection(const BusStats& stats);

}  // namespace zelmot
