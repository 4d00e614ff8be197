// The tables of the HTML report: summary, stations, masters, slaves,
// receive errors and gap buckets. Each figure cell reads its figure from the
// report document by key path and names that path (data-key); it shows the
// figure in full: counts grouped, nanoseconds as microseconds with three
// decimals, absolute times as hh:mm:ss with nine decimals.
#include <string>

#include "capture/capture_format.h"
#include "fdl/fdl_names.h"
#include "html/html_cells.h"
#include "html/html_tables.h"
#include "html/html_text.h"
#include "report/key_path.h"
#include "report/number_text.h"

namespace zelmot {

namespace {

// Count, minimum, mean, percentiles and maximum of a duration, in µs; the
// cells other than the count stay empty without samples.
void PutDurationCells(TextOut& out, const ReportRow& row, const std::string& path, bool withP95) {
    PutFigureCell(out, row, path + ".count");
    for (const char* figure : {"min", "mean", "p50", "p95", "p99", "max"})
        if (withP95 || std::string_view(figure) != "p95") PutFigureCell(out, row, path + "." + figure, CellUnit::Microseconds);
}

// A row of the summary: a figure that does not exist shows "-".
void PutSummaryRow(TextOut& out, const ReportRow& document, const char* name, const std::string& path,
                   CellUnit unit = CellUnit::AsIs, const std::string& note = "") {
    PutText(out, "<tr><th>");
    PutText(out, name);
    PutText(out, "</th>");
    const ReportDocument& value = FigureAt(document, path);
    if (value.is_null()) PutNumberCell(out, "-", "", unit);
    else PutNumberCell(out, FigureText(value, unit), CellKey(document, path), unit);
    PutTextCell(out, note);
    PutText(out, "</tr>\n");
}

bool HasFigures(const ReportRow& station, const char* side) { return !FigureAt(station, side).is_null(); }

}  // namespace

void PutSummaryTable(TextOut& out, const RunSettings& settings, const BusStats& stats, const ReportDocument& document) {
    const ReportRow all{&document, ""};
    PutText(out, "<table class=\"summary\">\n<tbody>\n");
    PutText(out, "<tr><th>Capture</th><td colspan=\"2\">");
    PutEscaped(out, settings.CaptureName);
    PutText(out, "</td></tr>\n");
    std::string files;
    if (stats.FilesRead > 0) {
        unsigned hour = settings.StartHour;
        unsigned minute = settings.StartMinute;
        files = CaptureFileName(settings.CaptureBaseName, hour, minute);
        if (settings.LastFileKnown) {
            hour = settings.LastHour;
            minute = settings.LastMinute;
        } else {
            for (std::uint32_t i = 1; i < stats.FilesRead; ++i) AdvanceCaptureMinute(hour, minute);
        }
        if (stats.FilesRead > 1) files += " to " + CaptureFileName(settings.CaptureBaseName, hour, minute);
    }
    PutSummaryRow(out, all, "Files read", "capture.files", CellUnit::AsIs, files);
    PutSummaryRow(out, all, "First frame (hh:mm:ss)", "capture.first_ns", CellUnit::Clock, "absolute time column");
    PutSummaryRow(out, all, "Last frame (hh:mm:ss)", "capture.last_ns", CellUnit::Clock);
    PutSummaryRow(out, all, "Span (s)", "capture.span_ns", CellUnit::Seconds);
    PutSummaryRow(out, all, "Baud rate (bit/s)", "capture.baud", CellUnit::AsIs,
                  std::string(BaudName(static_cast<std::uint16_t>(stats.BaudIndex))));
    PutSummaryRow(out, all, "Frames", "capture.frames", CellUnit::AsIs,
                  "in the reference window; " + GroupedUnsigned(stats.FramesRead) + " read");
    PutSummaryRow(out, all, "Bytes on the bus", "capture.bus_bytes");
    PutSummaryRow(out, all, "Bus load (%)", "capture.bus_load_percent", CellUnit::AsIs, "bytes x 11 bit times / span");
    PutSummaryRow(out, all, "Frames per second, average", "capture.frames_per_second_avg");
    PutSummaryRow(out, all, "Frames per second, highest", "capture.frames_per_second_max", CellUnit::AsIs,
                  "the fullest one-second bin from the first frame");
    PutSummaryRow(out, all, "Receive errors (frames)", "errors.frames");
    PutSummaryRow(out, all, "Resynchronisations", "capture.resyncs");
    PutText(out, "</tbody>\n</table>\n");
}

void PutStationTables(TextOut& out, const ReportDocument& document) {
    const std::vector<ReportRow> stations = ReportRows(document, "stations", "address");
    PutText(out, "<h3>Stations</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Role", "First heard (hh:mm:ss)", "Last heard (hh:mm:ss)", "Error frames"});
    for (const ReportRow& station : stations) {
        PutFormat(out, "<tr id=\"station-%d\">", FigureAt(station, "address").get<int>());
        PutFigureCell(out, station, "address");
        PutFigureCell(out, station, "role");
        PutFigureCell(out, station, "first_ns", CellUnit::Clock);
        PutFigureCell(out, station, "last_ns", CellUnit::Clock);
        PutFigureCell(out, station, "error_frames");
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");

    PutText(out, "<h3>Masters</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Tokens", "Rotations", "Min (&#181;s)", "Mean (&#181;s)", "P50 (&#181;s)",
                       "P95 (&#181;s)", "P99 (&#181;s)", "Max (&#181;s)", "Requests", "Answered", "Unanswered",
                       "Retries"});
    for (const ReportRow& station : stations) {
        if (!HasFigures(station, "master")) continue;
        PutText(out, "<tr>");
        PutFigureCell(out, station, "address");
        PutFigureCell(out, station, "master.tokens");
        PutDurationCells(out, station, "master.rotation_ns", true);
        for (const char* count : {"master.requests", "master.answered", "master.unanswered", "master.retries"})
            PutFigureCell(out, station, count);
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");

    PutText(out, "<h3>Slaves</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Requests", "Answered", "Unanswered", "Retries", "Responses timed",
                       "Min (&#181;s)", "Mean (&#181;s)", "P50 (&#181;s)", "P99 (&#181;s)", "Max (&#181;s)"});
    for (const ReportRow& station : stations) {
        if (!HasFigures(station, "slave")) continue;
        PutText(out, "<tr>");
        PutFigureCell(out, station, "address");
        for (const char* count : {"slave.requests", "slave.answered", "slave.unanswered", "slave.retries"})
            PutFigureCell(out, station, count);
        PutDurationCells(out, station, "slave.response_ns", false);
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
}

void PutErrorTable(TextOut& out, const ReportDocument& document) {
    const ReportRow all{&document, ""};
    PutText(out, "<table class=\"figures\">\n");
    PutHeaderRow(out, {"Status bit", "Letter", "Keyword", "Meaning", "Frames"});
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit) {
        PutText(out, "<tr>");
        const StatusBitName& name = kStatusBits[bit];
        PutFormat(out, "<td>0x%02x</td><td>%c</td>", name.Mask, name.Letter);
        PutTextCell(out, std::string(name.Keyword));
        PutTextCell(out, std::string(name.Meaning));
        PutFigureCell(out, all, "errors.by_bit." + std::string(name.Keyword));
        PutText(out, "</tr>\n");
    }
    PutText(out, "<tr class=\"total\"><td colspan=\"4\">Frames with a non-zero status</td>");
    PutFigureCell(out, all, "errors.frames");
    PutText(out, "</tr>\n</tbody>\n</table>\n");
}

void PutGapTable(TextOut& out, const ReportDocument& document) {
    PutText(out, "<table class=\"figures\">\n");
    PutHeaderRow(out, {"From (bit times)", "To (bit times)", "Frames"});
    for (const ReportRow& bucket : ReportRows(document, "gaps", "from_bits")) {
        if (FigureAt(bucket, "count") == 0) continue;
        PutText(out, "<tr>");
        for (const char* figure : {"from_bits", "to_bits", "count"}) PutFigureCell(out, bucket, figure);
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n<p class=\"caption\">Buckets are half-open [from, to); "
                 "the first also holds negative gaps. Empty buckets are left out.</p>\n");
}

}  // namespace zelmot
