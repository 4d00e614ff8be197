// The page's charts of the bus figures, and the <figure> every chart of
// the page sits in.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "common/text_out.h"
#include "report/report_document.h"

namespace zelmot {

void PutLiveListChart(TextOut& out, const BusStats& stats);
void PutTrafficChart(TextOut& out, const BusStats& stats);
void PutRotationCharts(TextOut& out, const BusStats& stats);
void PutResponseChart(TextOut& out, const BusStats& stats);
void PutGapChart(TextOut& out, const BusStats& stats);

// A chart's <figure> and, after the chart, its caption and end.
void OpenFigure(TextOut& out);
void CloseFigure(TextOut& out, const std::string& caption);

}  // namespace zelmot
