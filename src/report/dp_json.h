// The DP parts of the report document: a station's "dp" object and the
// "events" array.
#pragma once

#include <functional>
#include <span>

#include "analysis/bus_stats.h"
#include "dp/dp_diag.h"
#include "report/report_document.h"

namespace zelmot {

// Adds what a description of the slave tells of one block of its
// diagnosis to the block's object; empty: nothing.
using DiagBlockNotes = std::function<void(const dp::DiagBlock& block, ReportDocument& json)>;

// Null for a station that got no DP request.
ReportDocument DpStationJson(const DpSlaveStats& slave, const DiagBlockNotes& notes = {});
// notesByAddress: empty, or the notes of each station by its address.
ReportDocument DpEventsJson(const DpEvents& events, std::span<const DiagBlockNotes> notesByAddress = {});

}  // namespace zelmot
