// The HTML page of a bus health report: one self-contained file (inline SVG
// and CSS, no script, nothing fetched) that shows the figures of BusStats as
// charts and tables. Every figure in a table carries the key of the same
// figure in the JSON report (data-key), so the two can be compared.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "common/outcome.h"
#include "common/text_out.h"
#include "report/report_document.h"
#include "report/text_report.h"
#include "run/command_line.h"

namespace zelmot {

// Writes the page into out; its tables read the figures from document,
// the report document of stats and matches (the slaves' device files,
// report_gsd.h). Without them both are built here, without device files.
void PutHtmlReport(TextOut& out, const RunSettings& settings, const BusStats& stats, const ReportDocument& document,
                   const GsdMatches& matches, const ReportChanges* changes = nullptr);
void PutHtmlReport(TextOut& out, const RunSettings& settings, const BusStats& stats);

// Creates (or empties) the file at path and writes the page into it;
// the message names the file when it cannot be written.
Outcome WriteHtmlReport(const std::string& path, const RunSettings& settings, const BusStats& stats,
                        const ReportDocument& document, const GsdMatches& matches,
                        const ReportChanges* changes = nullptr);
Outcome WriteHtmlReport(const std::string& path, const RunSettings& settings, const BusStats& stats);

}  // namespace zelmot
