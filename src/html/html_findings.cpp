// The findings section, read from the report document, so that the page
// says what the JSON report says, word for word.
#include "html/html_findings.h"

#include <string>

#include "html/html_cells.h"
#include "html/html_text.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

void PutEvidence(TextOut& out, const ReportDocument& evidence) {
    if (evidence.empty()) return;
    PutText(out, "<br><b>Frames</b> ");
    bool first = true;
    for (const ReportDocument& frame : evidence) {
        if (!first) PutText(out, ", ");
        first = false;
        PutText(out, GroupedUnsigned(frame["reference"].get<std::uint64_t>()));
        PutText(out, " at ");
        PutText(out, ClockText(frame["ns"].get<std::int64_t>(), 6));
    }
}

void PutFindingRows(TextOut& out, const ReportDocument& finding, std::size_t index) {
    const ReportRow row{&finding, "findings[" + std::to_string(index) + "]"};
    const std::string severity = finding["severity"].get<std::string>();
    PutText(out, "<tr class=\"");
    PutEscaped(out, severity);
    PutText(out, "\">");
    PutFigureCell(out, row, "severity");
    PutFigureCell(out, row, "first_ns", CellUnit::Clock);
    PutFigureCell(out, row, "address");
    PutText(out, "<td data-key=\"");
    PutEscaped(out, CellKey(row, "title"));
    PutText(out, "\">");
    const bool linked = finding["address"].is_number();
    if (linked) PutFormat(out, "<a href=\"#station-%d\">", finding["address"].get<int>());
    PutEscaped(out, finding["title"].get<std::string>());
    if (linked) PutText(out, "</a>");
    PutText(out, "</td></tr>\n<tr class=\"detail\"><td></td><td colspan=\"3\"><b>Cause</b> ");
    PutEscaped(out, finding["cause"].get<std::string>());
    PutText(out, "<br><b>Check</b> ");
    PutEscaped(out, finding["check"].get<std::string>());
    PutEvidence(out, finding["evidence"]);
    PutText(out, "</td></tr>\n");
}

}  // namespace

void PutFindingsSection(TextOut& out, const ReportDocument& document) {
    const ReportRow verdict{&document, ""};
    PutText(out, "<table class=\"verdict\">\n");
    PutHeaderRow(out, {"Faults", "Warnings", "Notes"});
    PutText(out, "<tr>");
    for (const char* key : {"verdict.faults", "verdict.warnings", "verdict.notes"}) PutFigureCell(out, verdict, key);
    PutText(out, "</tr>\n</tbody>\n</table>\n");
    const ReportDocument& findings = document["findings"];
    if (findings.empty()) {
        PutText(out, "<p>No findings: nothing in this capture breaks a rule of the manual page's list.</p>\n");
        return;
    }
    PutText(out, "<table class=\"findings\">\n");
    PutHeaderRow(out, {"Severity", "First (hh:mm:ss)", "Station", "Finding"});
    for (std::size_t i = 0; i < findings.size(); ++i) PutFindingRows(out, findings[i], i);
    PutText(out, "</tbody>\n</table>\n");
}

}  // namespace zelmot
