// The changes as a table, read from the report document ("changes"), so
// that the page says what the JSON report says.
#include "html/html_changes.h"

#include <string>

#include "html/html_cells.h"
#include "html/html_text.h"
#include "report/changes_text.h"

namespace zelmot {

void PutChangesSection(TextOut& out, const ReportChanges& changes) {
    PutText(out, "<p>Baseline: ");
    PutEscaped(out, CaptureWords(*changes.Baseline));
    PutText(out, "<br>This capture: ");
    PutEscaped(out, CaptureWords(*changes.Now));
    PutText(out, "</p>\n");
    const ReportDocument& list = (*changes.Now)["changes"];
    if (list.empty()) {
        PutText(out, "<p>No changes: nothing moved beyond the thresholds of the manual page.</p>\n");
        return;
    }
    PutText(out, "<table class=\"changes\">\n");
    PutHeaderRow(out, {"", "Station", "Figure", "Before", "After", "Change"});
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ReportDocument& change = list[i];
        const ReportRow row{&change, "changes[" + std::to_string(i) + "]"};
        const char* worse = change["worse"].is_null() ? "neither" : change["worse"].get<bool>() ? "worse" : "better";
        PutFormat(out, "<tr class=\"%s\"><td>%s</td>", worse, worse);
        PutFigureCell(out, row, "address");
        PutFigureCell(out, row, "what");
        for (const char* side : {"before", "after"}) {
            const ReportDocument& value = change[side];
            if (value.is_string() || value.is_null() || value.is_number()) PutFigureCell(out, row, side);
            else PutTextCell(out, value.dump(-1, ' ', false, ReportDocument::error_handler_t::replace));
        }
        PutFigureCell(out, row, "words");
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
}

}  // namespace zelmot
