// The page's tables of the bus figures: summary, stations, errors, gaps.
// Every figure cell of a table carries the key path of its figure in the
// JSON report (report_document.h) as data-key, e.g. data-key="capture.frames"
// or data-key="stations{address=5}.master.tokens" (the station with address
// 5), and data-unit="us", "s" or "clock" when it shows in microseconds,
// seconds or hh:mm:ss what the JSON holds in nanoseconds.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "common/text_out.h"
#include "report/report_document.h"
#include "run/command_line.h"

namespace zelmot {

void PutSummaryTable(TextOut& out, const RunSettings& settings, const BusStats& stats, const ReportDocument& document);
void PutStationTables(TextOut& out, const ReportDocument& document);
void PutErrorTable(TextOut& out, const ReportDocument& document);
void PutGapTable(TextOut& out, const ReportDocument& document);

}  // namespace zelmot
