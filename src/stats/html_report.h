// The HTML page of a bus health report: one self-contained file (inline SVG
// and CSS, no script, nothing fetched) that shows the figures of BusStats as
// charts and tables. Every figure in a table carries the key of the same
// figure in the JSON report (data-key), so the two can be compared.
#pragma once

#include <string>

#include "common/outcome.h"
#include "common/text_out.h"
#include "run/command_line.h"
#include "stats/bus_stats.h"
#include "stats/report_document.h"

namespace zelmot {

// Writes the page into out; its tables read the figures from document,
// the report document of stats (built here when none is handed in).
void PutHtmlReport(TextOut& out, const RunSettings& settings, const BusStats& stats, const ReportDocument& document);
void PutHtmlReport(TextOut& out, const RunSettings& settings, const BusStats& stats);

// Creates (or empties) the file at path and writes the page into it;
// the message names the file when it cannot be written.
Outcome WriteHtmlReport(const std::string& path, const RunSettings& settings, const BusStats& stats,
                        const ReportDocument& document);
Outcome WriteHtmlReport(const std::string& path, const RunSettings& settings, const BusStats& stats);

}  // namespace zelmot
