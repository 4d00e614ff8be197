// The sections of the HTML report, each written by its own function: the
// tables (html_tables.cpp), which show the figures of the report document,
// the charts built from the figures (html_charts.cpp) and the DP slaves'
// timeline, tables and events (html_dp.cpp). The page
// skeleton (html_report.cpp) calls them in order.
//
// Every figure cell of a table carries the key path of its figure in the
// JSON report (report_document.h) as data-key, e.g. data-key="capture.frames"
// or data-key="stations{address=5}.master.tokens" (the station with address
// 5), and data-unit="us", "s" or "clock" when it shows in microseconds,
// seconds or hh:mm:ss what the JSON holds in nanoseconds.
#pragma once

#include <string>

#include "common/text_out.h"
#include "run/command_line.h"
#include "stats/bus_stats.h"
#include "stats/report_document.h"

namespace zelmot {

void PutSummaryTable(TextOut& out, const RunSettings& settings, const BusStats& stats, const ReportDocument& document);
void PutStationTables(TextOut& out, const ReportDocument& document);
void PutErrorTable(TextOut& out, const ReportDocument& document);
void PutGapTable(TextOut& out, const ReportDocument& document);

void PutLiveListChart(TextOut& out, const BusStats& stats);
void PutTrafficChart(TextOut& out, const BusStats& stats);
void PutRotationCharts(TextOut& out, const BusStats& stats);
void PutResponseChart(TextOut& out, const BusStats& stats);
void PutGapChart(TextOut& out, const BusStats& stats);

// The DP slaves (html_dp.cpp): the timeline, the slave and service tables,
// the first events in words.
void PutDpTimeline(TextOut& out, const BusStats& stats);
void PutDpTables(TextOut& out, const BusStats& stats, const ReportDocument& document);
void PutDpEventTable(TextOut& out, const BusStats& stats, const ReportDocument& document);

// A chart's <figure> and, after the chart, its caption and end.
void OpenFigure(TextOut& out);
void CloseFigure(TextOut& out, const std::string& caption);

}  // namespace zelmot
