// The tables of the HTML report: summary, stations, masters, slaves,
// receive errors and gap buckets. Each figure cell names its JSON key, and
// shows the figure in full: counts grouped, nanoseconds as microseconds
// with three decimals, absolute times as hh:mm:ss with nine decimals.
#include <array>
#include <string>

#include "capture/capture_format.h"
#include "common/fdl_names.h"
#include "stats/html_sections.h"
#include "stats/html_text.h"

namespace zelmot {

namespace {

void PutHeaderRow(TextOut& out, std::initializer_list<const char*> names) {
    PutText(out, "<thead><tr>");
    for (const char* name : names) {
        PutText(out, "<th>");
        PutText(out, name);  // fixed texts of this file, already HTML
        PutText(out, "</th>");
    }
    PutText(out, "</tr></thead>\n<tbody>\n");
}

void PutTextCell(TextOut& out, const std::string& text) {
    PutText(out, "<td>");
    PutEscaped(out, text);
    PutText(out, "</td>");
}

void PutEmptyCell(TextOut& out) { PutText(out, "<td class=\"n\">&#8211;</td>"); }

std::string StationKey(std::size_t address, const char* rest) {
    return "stations{address=" + std::to_string(address) + "}." + rest;
}

void PutCountCell(TextOut& out, std::uint64_t value, const std::string& key) {
    PutFigureCell(out, GroupedUnsigned(value), key);
}

// Count, minimum, mean, percentiles and maximum of a duration, in µs; the
// cells other than the count stay empty without samples.
void PutDurationCells(TextOut& out, const DurationStats& d, const std::string& key, bool withP95) {
    PutCountCell(out, d.Count, key + ".count");
    if (d.Count == 0) {
        for (int i = withP95 ? 6 : 5; i > 0; --i) PutEmptyCell(out);
        return;
    }
    PutFigureCell(out, MicrosecondsText(d.Min), key + ".min", "us");
    PutFigureCell(out, MicrosecondsText(d.Mean), key + ".mean", "us");
    PutFigureCell(out, MicrosecondsText(d.P50), key + ".p50", "us");
    if (withP95) PutFigureCell(out, MicrosecondsText(d.P95), key + ".p95", "us");
    PutFigureCell(out, MicrosecondsText(d.P99), key + ".p99", "us");
    PutFigureCell(out, MicrosecondsText(d.Max), key + ".max", "us");
}

void PutSummaryRow(TextOut& out, const char* name, const std::string& text, const std::string& key,
                   const char* unit = nullptr, const std::string& note = "") {
    PutText(out, "<tr><th>");
    PutText(out, name);
    PutText(out, "</th>");
    PutFigureCell(out, text, key, unit);
    PutTextCell(out, note);
    PutText(out, "</tr>\n");
}

std::string SecondsText(std::int64_t ns) {
    const std::uint64_t magnitude =
        ns < 0 ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%09llu", static_cast<unsigned long long>(magnitude % 1000000000u));
    return (ns < 0 ? "-" : "") + GroupedUnsigned(magnitude / 1000000000u) + fraction;
}

}  // namespace

void PutFigureCell(TextOut& out, const std::string& text, const std::string& key, const char* unit) {
    PutText(out, "<td class=\"n\"");
    if (!key.empty()) {
        PutText(out, " data-key=\"");
        PutEscaped(out, key);
        PutText(out, "\"");
    }
    if (unit != nullptr) PutFormat(out, " data-unit=\"%s\"", unit);
    PutText(out, ">");
    PutEscaped(out, text);
    PutText(out, "</td>");
}

void PutSummaryTable(TextOut& out, const RunSettings& settings, const BusStats& stats) {
    PutText(out, "<table class=\"summary\">\n<tbody>\n");
    PutText(out, "<tr><th>Capture</th><td colspan=\"2\">");
    PutEscaped(out, settings.CaptureName);
    PutText(out, "</td></tr>\n");
    std::string files;
    if (stats.FilesRead > 0) {
        unsigned hour = settings.StartHour;
        unsigned minute = settings.StartMinute;
        files = CaptureFileName(settings.CaptureBaseName, hour, minute);
        for (std::uint32_t i = 1; i < stats.FilesRead; ++i) AdvanceCaptureMinute(hour, minute);
        if (stats.FilesRead > 1) files += " to " + CaptureFileName(settings.CaptureBaseName, hour, minute);
    }
    PutSummaryRow(out, "Files read", GroupedUnsigned(stats.FilesRead), "capture.files", nullptr, files);
    const bool anyFrame = stats.Frames > 0;
    PutSummaryRow(out, "First frame (hh:mm:ss)", anyFrame ? ClockText(stats.FirstNs, 9) : "-",
                  anyFrame ? "capture.first_ns" : "", "clock", "absolute time column");
    PutSummaryRow(out, "Last frame (hh:mm:ss)", anyFrame ? ClockText(stats.LastNs, 9) : "-",
                  anyFrame ? "capture.last_ns" : "", "clock");
    PutSummaryRow(out, "Span (s)", SecondsText(stats.SpanNs), "capture.span_ns", "s");
    PutSummaryRow(out, "Baud rate (bit/s)", GroupedUnsigned(stats.Baud), "capture.baud", nullptr,
                  std::string(BaudName(static_cast<std::uint16_t>(stats.BaudIndex))));
    PutSummaryRow(out, "Frames", GroupedUnsigned(stats.Frames), "capture.frames", nullptr,
                  "in the reference window; " + GroupedUnsigned(stats.FramesRead) + " read");
    PutSummaryRow(out, "Bytes on the bus", GroupedUnsigned(stats.BusBytes), "capture.bus_bytes");
    PutSummaryRow(out, "Bus load (%)", GroupedFixed(stats.BusLoadPercent, 3), "capture.bus_load_percent", nullptr,
                  "bytes x 11 bit times / span");
    PutSummaryRow(out, "Frames per second, average", GroupedFixed(stats.FramesPerSecondAvg, 3),
                  "capture.frames_per_second_avg");
    PutSummaryRow(out, "Frames per second, highest", GroupedUnsigned(stats.FramesPerSecondMax),
                  "capture.frames_per_second_max", nullptr, "the fullest one-second bin from the first frame");
    PutSummaryRow(out, "Receive errors (frames)", GroupedUnsigned(stats.ErrorFrames), "errors.frames");
    PutSummaryRow(out, "Resynchronisations", GroupedUnsigned(stats.Resyncs), "capture.resyncs");
    PutText(out, "</tbody>\n</table>\n");
}

void PutStationTables(TextOut& out, const BusStats& stats) {
    PutText(out, "<h3>Stations</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Role", "First heard (hh:mm:ss)", "Last heard (hh:mm:ss)", "Error frames"});
    for (std::size_t a = 0; a < stats.Stations.size(); ++a) {
        const StationStats& s = stats.Stations[a];
        if (!s.Listed) continue;
        PutText(out, "<tr>");
        PutFigureCell(out, std::to_string(a), StationKey(a, "address"));
        PutText(out, "<td data-key=\"");
        PutEscaped(out, StationKey(a, "role"));
        PutText(out, "\">");
        PutEscaped(out, StationRoleName(s.Role));
        PutText(out, "</td>");
        if (s.Heard) {
            PutFigureCell(out, ClockText(s.FirstHeardNs, 9), StationKey(a, "first_ns"), "clock");
            PutFigureCell(out, ClockText(s.LastHeardNs, 9), StationKey(a, "last_ns"), "clock");
        } else {
            PutEmptyCell(out);
            PutEmptyCell(out);
        }
        PutCountCell(out, s.ErrorFrames, StationKey(a, "error_frames"));
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");

    PutText(out, "<h3>Masters</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Tokens", "Rotations", "Min (&#181;s)", "Mean (&#181;s)", "P50 (&#181;s)",
                       "P95 (&#181;s)", "P99 (&#181;s)", "Max (&#181;s)", "Requests", "Answered", "Unanswered",
                       "Retries"});
    for (std::size_t a = 0; a < stats.Stations.size(); ++a) {
        const StationStats& s = stats.Stations[a];
        if (!s.Listed || !s.HasMaster) continue;
        const MasterFigures& m = s.Master;
        PutText(out, "<tr>");
        PutFigureCell(out, std::to_string(a), StationKey(a, "address"));
        PutCountCell(out, m.Tokens, StationKey(a, "master.tokens"));
        PutDurationCells(out, m.Rotation, StationKey(a, "master.rotation_ns"), true);
        PutCountCell(out, m.Requests, StationKey(a, "master.requests"));
        PutCountCell(out, m.Answered, StationKey(a, "master.answered"));
        PutCountCell(out, m.Unanswered, StationKey(a, "master.unanswered"));
        PutCountCell(out, m.Retries, StationKey(a, "master.retries"));
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");

    PutText(out, "<h3>Slaves</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Requests", "Answered", "Unanswered", "Retries", "Responses timed",
                       "Min (&#181;s)", "Mean (&#181;s)", "P50 (&#181;s)", "P99 (&#181;s)", "Max (&#181;s)"});
    for (std::size_t a = 0; a < stats.Stations.size(); ++a) {
        const StationStats& s = stats.Stations[a];
        if (!s.Listed || !s.HasSlave) continue;
        const SlaveFigures& v = s.Slave;
        PutText(out, "<tr>");
        PutFigureCell(out, std::to_string(a), StationKey(a, "address"));
        PutCountCell(out, v.Requests, StationKey(a, "slave.requests"));
        PutCountCell(out, v.Answered, StationKey(a, "slave.answered"));
        PutCountCell(out, v.Unanswered, StationKey(a, "slave.unanswered"));
        PutCountCell(out, v.Retries, StationKey(a, "slave.retries"));
        PutDurationCells(out, v.Response, StationKey(a, "slave.response_ns"), false);
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
}

void PutErrorTable(TextOut& out, const BusStats& stats) {
    PutText(out, "<table class=\"figures\">\n");
    PutHeaderRow(out, {"Status bit", "Letter", "Keyword", "Meaning", "Frames"});
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit) {
        PutText(out, "<tr>");
        const StatusBitName& name = kStatusBits[bit];
        PutFormat(out, "<td>0x%02x</td><td>%c</td>", name.Mask, name.Letter);
        PutTextCell(out, std::string(name.Keyword));
        PutTextCell(out, std::string(name.Meaning));
        PutCountCell(out, stats.ErrorsByBit[bit], "errors.by_bit." + std::string(name.Keyword));
        PutText(out, "</tr>\n");
    }
    PutText(out, "<tr class=\"total\"><td colspan=\"4\">Frames with a non-zero status</td>");
    PutCountCell(out, stats.ErrorFrames, "errors.frames");
    PutText(out, "</tr>\n</tbody>\n</table>\n");
}

void PutGapTable(TextOut& out, const BusStats& stats) {
    PutText(out, "<table class=\"figures\">\n");
    PutHeaderRow(out, {"From (bit times)", "To (bit times)", "Frames"});
    for (std::size_t b = 0; b < kGapBucketCount; ++b) {
        if (stats.GapBuckets[b] == 0) continue;
        const std::string key = "gaps{from_bits=" + std::to_string(GapBucketFromBits(b)) + "}.";
        PutText(out, "<tr>");
        PutFigureCell(out, GroupedUnsigned(GapBucketFromBits(b)), key + "from_bits");
        PutFigureCell(out, GroupedUnsigned(GapBucketToBits(b)), key + "to_bits");
        PutCountCell(out, stats.GapBuckets[b], key + "count");
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n<p class=\"caption\">Buckets are half-open [from, to); "
                 "the first also holds negative gaps. Empty buckets are left out.</p>\n");
}

}  // namespace zelmot
