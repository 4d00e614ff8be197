// The page's DP slaves: the timeline, the slave and service tables, the
// first events in words; diagnoses and events take the names of the slaves'
// device files.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "common/text_out.h"
#include "report/report_document.h"

namespace zelmot {

// The timeline marks where each finding of the document at a slave began.
void PutDpTimeline(TextOut& out, const BusStats& stats, const ReportDocument& document);
void PutDpTables(TextOut& out, const BusStats& stats, const ReportDocument& document, const GsdMatches& matches);
void PutDpEventTable(TextOut& out, const BusStats& stats, const ReportDocument& document, const GsdMatches& matches);

}  // namespace zelmot
