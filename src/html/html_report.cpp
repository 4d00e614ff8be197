// The page skeleton of the HTML report: head with the style sheet (screen
// and A4 print), the header figures, then the sections in a fixed order.
// Nothing on the page is fetched or scripted: it opens offline and mailed.
#include "html/html_report.h"

#include "html/html_changes.h"
#include "html/html_charts.h"
#include "html/html_dp.h"
#include "html/html_findings.h"
#include "html/html_gsd.h"
#include "html/html_tables.h"
#include "html/html_text.h"
#include "html/svg_chart.h"

namespace zelmot {

namespace {

// The page's own rules; the charts' follow (PutChartStyle).
constexpr const char* kPageStyle = R"(
:root { color-scheme: light; }
body { font-family: "DejaVu Sans", "Segoe UI", Arial, sans-serif; font-size: 15px; color: #1a1a1a;
       background: #ffffff; max-width: 1000px; margin: 0 auto; padding: 16px 20px; line-height: 1.4; }
h1 { font-size: 24px; margin: 4px 0 12px; }
h2 { font-size: 19px; margin: 28px 0 8px; border-bottom: 2px solid #5a6b7b; padding-bottom: 2px; }
h3 { font-size: 16px; margin: 18px 0 6px; }
table { border-collapse: collapse; margin: 6px 0 10px; font-size: 13px; }
th, td { border: 1px solid #c8c8c8; padding: 3px 7px; vertical-align: top; }
thead th { background: #eef3f8; text-align: center; }
tbody th { background: #f6f6f6; text-align: left; font-weight: 600; }
td.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.total td { font-weight: 600; }
figure { margin: 10px 0 18px; }
figcaption, p.caption { font-size: 13px; color: #444444; margin-top: 4px; }
table.findings { width: 100%; }
table.findings tr.fault td:first-child { color: #D55E00; font-weight: 700; }
table.findings tr.warning td:first-child { color: #9a6700; font-weight: 700; }
table.findings tr.detail td { border-top: none; font-size: 12px; color: #333333; }
table.changes tr.worse td:first-child { color: #D55E00; font-weight: 700; }
table.changes tr.better td:first-child { color: #009E73; font-weight: 700; }
)";

// After the charts' rules: the printed page.
constexpr const char* kPrintStyle = R"(@media print {
  @page { size: A4; margin: 12mm; }
  body { max-width: none; padding: 0; font-size: 10pt; }
  h2 { break-after: avoid; }
  figure, table.summary { break-inside: avoid; }
  table { font-size: 8pt; }
  th, td { padding: 1px 4px; }
}
)";

void PutSection(TextOut& out, const char* id, const char* heading) {
    PutFormat(out, "</section>\n<section id=\"%s\">\n<h2>%s</h2>\n", id, heading);
}

}  // namespace

void PutHtmlReport(TextOut& out, const RunSettings& settings, const BusStats& stats, const ReportDocument& document,
                   const GsdMatches& matches, const ReportChanges* changes) {
    PutText(out, "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                 "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Bus health report: ");
    PutEscaped(out, settings.CaptureName);
    PutText(out, "</title>\n<style>");
    PutText(out, kPageStyle);
    PutChartStyle(out);
    PutText(out, kPrintStyle);
    PutText(out, "</style>\n</head>\n<body>\n<header>\n<h1>Bus health report: ");
    PutEscaped(out, settings.CaptureName);
    PutText(out, "</h1>\n");
    PutSummaryTable(out, settings, stats, document);
    PutText(out, "</header>\n<section id=\"findings\">\n<h2>Findings</h2>\n");
    PutFindingsSection(out, document);
    if (changes != nullptr) {
        PutSection(out, "changes", "Changes since the baseline");
        PutChangesSection(out, *changes);
    }
    PutSection(out, "live-list", "Live list");
    PutLiveListChart(out, stats);
    PutSection(out, "traffic", "Traffic over time");
    PutTrafficChart(out, stats);
    PutSection(out, "rotation", "Token rotation per master");
    PutRotationCharts(out, stats);
    PutSection(out, "response", "Response time per slave");
    PutResponseChart(out, stats);
    PutSection(out, "gaps", "Gap histogram");
    PutGapChart(out, stats);
    PutGapTable(out, document);
    PutSection(out, "stations", "Station table");
    PutStationTables(out, document);
    PutSection(out, "dp-slaves", "DP slaves");
    PutDpTimeline(out, stats, document);
    PutDpTables(out, stats, document, matches);
    PutGsdTable(out, stats, document, matches);
    PutSection(out, "dp-events", "DP events");
    PutDpEventTable(out, stats, document, matches);
    PutSection(out, "errors", "Receive errors");
    PutErrorTable(out, document);
    PutText(out, "<p class=\"caption\">Times are the absolute time column (hh:mm:ss) and durations in "
                 "microseconds with three decimals, exact to the nanosecond. Counts, minimum, mean and maximum "
                 "are exact; percentiles (nearest rank) are read from buckets and lie within 1% of the exact "
                 "value.</p>\n</section>\n</body>\n</html>\n");
}

void PutHtmlReport(TextOut& out, const RunSettings& settings, const BusStats& stats) {
    PutHtmlReport(out, settings, stats, BuildReportDocument(stats), GsdMatches{});
}

Outcome WriteHtmlReport(const std::string& path, const RunSettings& settings, const BusStats& stats) {
    return WriteHtmlReport(path, settings, stats, BuildReportDocument(stats), GsdMatches{});
}

Outcome WriteHtmlReport(const std::string& path, const RunSettings& settings, const BusStats& stats,
                        const ReportDocument& document, const GsdMatches& matches, const ReportChanges* changes) {
    TextOut out;
    if (!OpenTextOutFile(out, path)) return ErrorText("Cannot create the HTML file %s", path.c_str());
    PutHtmlReport(out, settings, stats, document, matches, changes);
    if (!CloseTextOut(out)) return ErrorText("Cannot write the HTML file %s", path.c_str());
    return Success();
}

}  // namespace zelmot
