// The device files' table of the HTML page: one row per DP slave whose
// device a GSD file names (vendor, model and file, which of several files
// was used, its modules by slot and on what they were identified, its
// parameters that differ from their defaults with the count of the rest,
// the slowest answer against MaxTsdr), then the slaves no file names. The figure cells read the report document by key path; the
// words come from the same functions as the text report's.
#include <cassert>

#include "html/html_cells.h"
#include "html/html_gsd.h"
#include "html/html_text.h"
#include "report/gsd_words.h"
#include "report/key_path.h"

namespace zelmot {
void PutGsdTable(TextOut& out, const BusStats& stats, const ReportDocument& document, const GsdMatches& matches) {
    if (!matches.Given) return;
    PutText(out, "<h3>DP slaves by their GSD files</h3>\n");
    std::string unmatched;
    bool slaves = false;
    bool any = false;
    for (const ReportRow& row : ReportRows(document, "stations", "address")) {
        if (FigureAt(row, "dp").is_null()) continue;
        slaves = true;
        const std::size_t address = FigureAt(row, "address").get<std::size_t>();
        assert(address < kStationCount);
        const GsdSlaveMatch& match = matches.Slaves[address];
        if (match.Device == nullptr) {
            unmatched += (unmatched.empty() ? "" : ", ") + std::to_string(address);
            continue;
        }
        if (!any) {
            PutText(out, "<table class=\"figures\">\n");
            PutHeaderRow(out, {"Address", "Vendor", "Model", "GSD file", "File used", "Modules by slot",
                               "Identified", "Parameters", "Slowest answer (bit)", "MaxTsdr (bit)", "Slower answers"});
            any = true;
        }
        const StationStats& station = stats.Stations[address];
        PutText(out, "<tr>");
        for (const char* figure : {"address", "gsd.vendor", "gsd.model", "gsd.file"}) PutFigureCell(out, row, figure);
        PutTextCell(out, GsdFileWords(match));
        PutTextCell(out, GsdModulesWords(match, station.Dp.Cfg.Data, "; "));
        PutTextCell(out, GsdBasisOf(match));
        PutTextCell(out, GsdParamsWords(match, "; "));
        for (const char* figure : {"slave.response_bits.max", "gsd.max_tsdr_bits", "gsd.slow_answers"})
            PutFigureCell(out, row, figure);
        PutText(out, "</tr>\n");
    }
    if (any)
        PutText(out, "</tbody>\n</table>\n<p class=\"caption\">Devices matched by the Ident_Number of the last "
                     "diagnosis (or Set_Prm), of several files with the ident the one whose modules fit; modules "
                     "identified by the identifier bytes of the last Chk_Cfg and the parameter bytes of the last "
                     "Set_Prm, a slot that several modules fit as one of them; parameters read from the last "
                     "Set_Prm from its byte 7 on, those at their GSD default counted. Slower answers: responses "
                     "whose gap exceeds MaxTsdr at the run's baud, counted from the response-time buckets as the "
                     "percentiles are.</p>\n");
    PutText(out, "<p>");
    std::string read = std::to_string(matches.DevicesRead) + " devices read from GSD files";
    if (matches.RevisionsRead > 0)
        read += " (" + std::to_string(matches.RevisionsRead) +
                (matches.RevisionsRead == 1 ? " more revision)" : " more revisions)");
    PutEscaped(out, read + "; " +
                        (!slaves             ? "no DP slave."
                         : unmatched.empty() ? "every DP slave matched."
                                             : "no GSD file for slave " + unmatched + "."));
    PutText(out, "</p>\n");
}

}  // namespace zelmot
