// The sections of the HTML report, each written by its own function: the
// tables (html_tables.cpp) and the charts built from the figures
// (html_charts.cpp). The page skeleton (html_report.cpp) calls them in order.
#pragma once

#include <string>

#include "common/text_out.h"
#include "run/command_line.h"
#include "stats/bus_stats.h"

namespace zelmot {

// A table cell holding a figure; key is its path in the JSON report
// ("capture.frames", "stations@5.master.tokens": the station with address
// 5), unit "us" when the cell shows in microseconds what the JSON holds in
// nanoseconds.
void PutFigureCell(TextOut& out, const std::string& text, const std::string& key, const char* unit = nullptr);

void PutSummaryTable(TextOut& out, const RunSettings& settings, const BusStats& stats);
void PutStationTables(TextOut& out, const BusStats& stats);
void PutErrorTable(TextOut& out, const BusStats& stats);
void PutGapTable(TextOut& out, const BusStats& stats);

void PutLiveListChart(TextOut& out, const BusStats& stats);
void PutTrafficChart(TextOut& out, const BusStats& stats);
void PutRotationCharts(TextOut& out, const BusStats& stats);
void PutResponseChart(TextOut& out, const BusStats& stats);
void PutGapChart(TextOut& out, const BusStats& stats);

}  // namespace zelmot
