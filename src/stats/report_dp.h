// The DP parts of the reports: a station's "dp" object and the "events"
// array of the report document (report_dp_json.cpp), and the "DP slaves"
// table and "Events" section of the text report (report_dp_text.cpp).
#pragma once

#include <functional>
#include <span>
#include <string>

#include "dp/dp_diag.h"

#include "stats/bus_stats.h"
#include "stats/report_document.h"

namespace zelmot {

// Adds what a description of the slave tells of one block of its
// diagnosis to the block's object; empty: nothing.
using DiagBlockNotes = std::function<void(const dp::DiagBlock& block, ReportDocument& json)>;

// Null for a station that got no DP request.
ReportDocument DpStationJson(const DpSlaveStats& slave, const DiagBlockNotes& notes = {});
// notesByAddress: empty, or the notes of each station by its address.
ReportDocument DpEventsJson(const DpEvents& events, std::span<const DiagBlockNotes> notesByAddress = {});

// matches: the slaves' device files (report_gsd.h), whose names the
// diagnoses and events then take.
struct GsdMatches;
std::string DpSlavesSection(const BusStats& stats, const GsdMatches& matches);
std::string DpEventsSection(const BusStats& stats, const GsdMatches& matches);

}  // namespace zelmot
