// The page's table of the DP slaves' device files.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "common/text_out.h"
#include "report/report_document.h"

namespace zelmot {

// A table of the slaves whose device a file names; nothing without Gsd= words.
void PutGsdTable(TextOut& out, const BusStats& stats, const ReportDocument& document, const GsdMatches& matches);

}  // namespace zelmot
