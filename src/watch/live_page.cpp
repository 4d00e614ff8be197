// The live page: head (refresh, style), the state line, then the live list,
// the DP slaves, the findings and the events, each a plain table.
#include "watch/live_page.h"

#include <cassert>

#include "html/html_charts.h"
#include "html/html_text.h"
#include "html/svg_chart.h"
#include "report/bus_words.h"
#include "report/dp_words.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

constexpr const char* kLiveStyle = R"(
:root { color-scheme: light; }
body { font-family: "DejaVu Sans", "Segoe UI", Arial, sans-serif; font-size: 15px; color: #1a1a1a;
       background: #ffffff; max-width: 1000px; margin: 0 auto; padding: 16px 20px; line-height: 1.4; }
h1 { font-size: 24px; margin: 4px 0 6px; }
h2 { font-size: 19px; margin: 24px 0 8px; border-bottom: 2px solid #5a6b7b; padding-bottom: 2px; }
p.status { color: #444444; margin: 0 0 10px; }
table { border-collapse: collapse; margin: 6px 0 10px; font-size: 13px; }
th, td { border: 1px solid #c8c8c8; padding: 3px 7px; vertical-align: top; }
thead th { background: #eef3f8; text-align: center; }
td.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td.fault { background: #f9d3cc; font-weight: 600; }
td.warning { background: #fbeac0; }
td.state-data_exchange { background: #d5ecd9; }
td.state-offline { background: #f9d3cc; font-weight: 600; }
ol.events { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 13px; padding-left: 1.5em; }
p.none { color: #666666; font-style: italic; }
)";

void PutCell(TextOut& out, std::string_view text, const char* cssClass = nullptr) {
    if (cssClass != nullptr) PutFormat(out, "<td class=\"%s\">", cssClass);
    else PutText(out, "<td>");
    PutEscaped(out, text);
    PutText(out, "</td>");
}

void PutStations(TextOut& out, const BusStats& stats) {
    PutLiveListChart(out, stats);
    PutText(out, "<table class=\"stations\">\n<thead><tr><th>Addr</th><th>Role</th><th>Last heard</th>"
                 "<th>Error frames</th><th>Unanswered requests</th></tr></thead>\n<tbody>\n");
    for (std::size_t address = 0; address < kStationCount; ++address) {
        const StationStats& station = stats.Stations[address];
        if (!station.Listed) continue;
        PutText(out, "<tr>");
        PutCell(out, std::to_string(address), "n");
        PutCell(out, StationRoleName(station.Role));
        PutCell(out, station.Heard ? TimeOfDayText(station.LastHeardNs) : "-", "n");
        PutCell(out, GroupedUnsigned(station.ErrorFrames), "n");
        PutCell(out, station.HasSlave ? GroupedUnsigned(station.Slave.Unanswered) : "-", "n");
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
}

std::string StateText(DpState state) {
    return state == DpState::None ? std::string("(new)")
                                  : std::string(dp::LookupName(kDpStateWords, static_cast<unsigned>(state)));
}

void PutDpSlaves(TextOut& out, const BusStats& stats) {
    bool any = false;
    for (const StationStats& station : stats.Stations) any = any || station.Dp.Active;
    if (!any) {
        PutText(out, "<p class=\"none\">No DP slave yet.</p>\n");
        return;
    }
    PutText(out, "<table class=\"dp-slaves\">\n<thead><tr><th>Addr</th><th>State</th><th>Ident</th>"
                 "<th>Entries</th><th>Drop-outs</th></tr></thead>\n<tbody>\n");
    for (std::size_t address = 0; address < kStationCount; ++address) {
        const DpSlaveStats& dp = stats.Stations[address].Dp;
        if (!dp.Active) continue;
        const std::string cssClass =
            "state-" + (dp.State == DpState::None ? std::string("none") : std::string(DpStateName(dp.State)));
        PutText(out, "<tr data-address=\"" + std::to_string(address) + "\">");
        PutCell(out, std::to_string(address), "n");
        PutCell(out, StateText(dp.State), cssClass.c_str());
        PutCell(out, dp.HasIdent ? IdentText(dp.Ident) : "-", "n");
        PutCell(out, GroupedUnsigned(dp.Entries), "n");
        PutCell(out, GroupedUnsigned(dp.DropOuts), "n");
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
}

const char* SeverityClass(std::string_view severity) {
    if (severity == "fault") return "fault";
    if (severity == "warning") return "warning";
    return nullptr;
}

void PutFindings(TextOut& out, std::span<const LiveFinding> findings) {
    if (findings.empty()) {
        PutText(out, "<p class=\"none\">No findings.</p>\n");
        return;
    }
    PutText(out, "<table class=\"findings\">\n<thead><tr><th>Severity</th><th>Since</th><th>Finding</th></tr>"
                 "</thead>\n<tbody>\n");
    for (const LiveFinding& finding : findings) {
        PutText(out, "<tr>");
        PutCell(out, finding.Severity, SeverityClass(finding.Severity));
        PutCell(out, TimeOfDayText(finding.Ns), "n");
        PutCell(out, finding.Title);
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
}

void PutEvents(TextOut& out, std::span<const std::string> events) {
    if (events.empty()) {
        PutText(out, "<p class=\"none\">No events yet.</p>\n");
        return;
    }
    PutText(out, "<ol class=\"events\">\n");
    for (const std::string& event : events) {
        PutText(out, "<li>");
        PutEscaped(out, event);
        PutText(out, "</li>\n");
    }
    PutText(out, "</ol>\n");
}

}  // namespace

std::string LivePageHtml(const LivePageInput& input) {
    assert(input.Stats != nullptr);
    std::string page;
    TextOut out;
    OpenTextOutMemory(out, &page);
    PutFormat(out, "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                   "<meta http-equiv=\"refresh\" content=\"%d\">\n"
                   "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Live: ",
              kLivePageRefreshSeconds);
    PutEscaped(out, input.Name);
    PutText(out, "</title>\n<style>");
    PutText(out, kLiveStyle);
    PutChartStyle(out);
    PutText(out, "</style>\n</head>\n<body>\n<header>\n<h1>Live: ");
    PutEscaped(out, input.Name);
    PutText(out, "</h1>\n<p class=\"status\">");
    PutEscaped(out, input.Status);
    PutText(out, "</p>\n</header>\n<section id=\"findings\">\n<h2>Findings</h2>\n");
    PutFindings(out, input.Findings);
    PutText(out, "</section>\n<section id=\"dp-slaves\">\n<h2>DP slaves</h2>\n");
    PutDpSlaves(out, *input.Stats);
    PutText(out, "</section>\n<section id=\"live-list\">\n<h2>Live list</h2>\n");
    PutStations(out, *input.Stats);
    PutText(out, "</section>\n<section id=\"events\">\n<h2>Last events</h2>\n");
    PutEvents(out, input.Events);
    PutText(out, "</section>\n</body>\n</html>\n");
    CloseTextOut(out);
    return page;
}

}  // namespace zelmot
