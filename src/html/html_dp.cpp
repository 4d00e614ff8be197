// The DP parts of the HTML page: the station timeline (a lane per DP slave
// coloured by its state, marks for diagnoses and drop-outs, a master's
// CLEAR shaded), the DP slave and DP service tables, and the first events
// in words. The tables' figure cells read the report document by key
// path; the words come from the same tables as the text report's.
#include <algorithm>
#include <array>
#include <cassert>

#include "dp/dp_codes.h"
#include "common/keyed_rows.h"
#include "html/html_cells.h"
#include "html/html_charts.h"
#include "html/html_dp.h"
#include "html/html_text.h"
#include "html/svg_chart.h"
#include "html/svg_lane_chart.h"
#include "report/dp_words.h"
#include "report/gsd_words.h"
#include "report/key_path.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

constexpr std::size_t kEventsShown = 1000;
constexpr std::size_t kDiagnosisMark = 0;
constexpr std::size_t kDropOutMark = 1;
constexpr std::size_t kFindingMark = 2;

struct StateColour {
    DpState Key;
    Colour Fill;
};
constexpr StateColour kStateColours[] = {
    {DpState::None, Colour::None},         {DpState::Diagnosis, Colour::Sky},
    {DpState::Parameterised, Colour::Yellow}, {DpState::Configured, Colour::Orange},
    {DpState::DataExchange, Colour::Green}, {DpState::Offline, Colour::Vermillion},
};
static_assert(RowsInKeyOrder(kStateColours, kDpStateCount));

bool IsDpSlave(const StationStats& station) { return station.Listed && station.Dp.Active; }

// The bands of a master in CLEAR: from the Global_Control that sets
// Clear_Data to the one that clears it (or the end).
struct ClearBands {
    std::array<bool, kStationCount> InClear{};
    std::array<std::int64_t, kStationCount> FromNs{};
};

void TakeGlobalControl(ClearBands& clear, LaneChart& chart, const DpEvent& event) {
    const bool clearing = (event.Control & dp::kClearData) != 0;
    bool& inClear = clear.InClear[event.Address];
    if (clearing == inClear) return;
    inClear = clearing;
    if (clearing) clear.FromNs[event.Address] = event.Ns;
    else chart.Bands.push_back({clear.FromNs[event.Address], event.Ns, "CLEAR (master " + std::to_string(event.Address) + ")"});
}

LaneChart TimelineOf(const BusStats& stats, const ReportDocument& document) {
    LaneChart chart;
    chart.Title = "DP slaves over time: state, diagnoses, drop-outs and CLEAR";
    chart.StartNs = stats.FirstNs;
    chart.EndNs = std::max(stats.LastNs, stats.FirstNs + 1);
    for (std::size_t state = 1; state < kDpStateCount; ++state)
        chart.SpanKeys.push_back({std::string(dp::LookupName(kDpStateWords, static_cast<unsigned>(state))),
                                  kStateColours[state].Fill});
    chart.MarkKeys = {{"new diagnosis", Colour::Purple},
                      {"drop-out (data exchange left)", Colour::Black},
                      {"finding (see Findings)", Colour::Vermillion}};
    chart.BandName = "a master in CLEAR (Global_Control Clear_Data)";
    std::array<std::size_t, kStationCount> laneOf{};
    for (std::size_t a = 0; a < kStationCount; ++a) {
        if (!IsDpSlave(stats.Stations[a])) continue;
        laneOf[a] = chart.Lanes.size();
        chart.Lanes.push_back({"slave " + std::to_string(a), {}, {}});
    }
    ClearBands clear;
    for (const DpEvent& event : stats.Events.Kept) {
        if (event.Kind == DpEventKind::GlobalControl) {
            TakeGlobalControl(clear, chart, event);
            continue;
        }
        if (!IsDpSlave(stats.Stations[event.Address])) continue;
        Lane& lane = chart.Lanes[laneOf[event.Address]];
        if (event.Kind == DpEventKind::Diag) lane.Marks.push_back({event.Ns, kDiagnosisMark});
        if (event.Kind != DpEventKind::State) continue;
        lane.Spans.push_back({event.Ns, kStateColours[static_cast<std::size_t>(event.To)].Fill});
        if (event.From == DpState::DataExchange) lane.Marks.push_back({event.Ns, kDropOutMark});
    }
    for (const ReportDocument& finding : document["findings"]) {
        if (!finding["address"].is_number()) continue;
        const std::size_t address = finding["address"].get<std::size_t>();
        if (address < kStationCount && IsDpSlave(stats.Stations[address]))
            chart.Lanes[laneOf[address]].Marks.push_back({finding["first_ns"].get<std::int64_t>(), kFindingMark});
    }
    for (Lane& lane : chart.Lanes)
        std::stable_sort(lane.Marks.begin(), lane.Marks.end(),
                         [](const LaneMark& a, const LaneMark& b) { return a.Ns < b.Ns; });
    // Past the last event kept, the states are not known.
    if (stats.Events.Dropped > 0)
        for (Lane& lane : chart.Lanes) lane.Spans.push_back({stats.Events.Kept.back().Ns, Colour::None});
    for (std::size_t m = 0; m < kStationCount; ++m)
        if (clear.InClear[m])
            chart.Bands.push_back({clear.FromNs[m], chart.EndNs, "CLEAR (master " + std::to_string(m) + ")"});
    return chart;
}

std::vector<ReportRow> DpRows(const ReportDocument& document) {
    std::vector<ReportRow> rows;
    for (const ReportRow& station : ReportRows(document, "stations", "address"))
        if (!FigureAt(station, "dp").is_null()) rows.push_back(station);
    return rows;
}

const DpSlaveStats& SlaveOfRow(const BusStats& stats, const ReportRow& row) {
    const std::uint64_t address = FigureAt(row, "address").get<std::uint64_t>();
    assert(address < kStationCount);
    return stats.Stations[address].Dp;
}

}  // namespace

void PutDpTimeline(TextOut& out, const BusStats& stats, const ReportDocument& document) {
    const bool any = std::any_of(stats.Stations.begin(), stats.Stations.end(), IsDpSlave);
    if (!any || stats.Frames == 0) {
        PutText(out, "<p>No DP request to a slave: no DP state.</p>\n");
        return;
    }
    OpenFigure(out);
    PutLaneChart(out, TimelineOf(stats, document));
    std::string caption = "One lane per DP slave over the window's time axis, coloured by its state from the "
                          "answer that set it (offline: from the third DP request in a row left unanswered); "
                          "grey before the first state. Marks: a diagnosis that differs from the slave's last, "
                          "a change out of data exchange, the beginning of a finding at the slave.";
    if (stats.Events.Dropped > 0)
        caption += " Only the first " + GroupedUnsigned(kDpEventsKept) + " events are kept: the lanes end at " +
                   ClockText(stats.Events.Kept.back().Ns, 3) + ".";
    CloseFigure(out, caption);
}

void PutDpTables(TextOut& out, const BusStats& stats, const ReportDocument& document, const GsdMatches& matches) {
    const std::vector<ReportRow> rows = DpRows(document);
    if (rows.empty()) return;
    PutText(out, "<h3>DP slaves</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Ident", "Master", "State", "Entries", "Drop-outs", "Watchdog (ms)",
                       "Inputs (bytes)", "Outputs (bytes)", "Last diagnosis"});
    for (const ReportRow& row : rows) {
        const DpSlaveStats& slave = SlaveOfRow(stats, row);
        PutText(out, "<tr>");
        PutFigureCell(out, row, "address");
        PutFigureCell(out, row, "dp.ident", CellUnit::Hex);
        for (const char* figure : {"dp.master", "dp.state", "dp.entries", "dp.drop_outs", "dp.prm.watchdog_ms",
                                   "dp.cfg.in_bytes", "dp.cfg.out_bytes"})
            PutFigureCell(out, row, figure);
        const GsdSlaveMatch& match = matches.Slaves[FigureAt(row, "address").get<std::size_t>()];
        PutTextCell(out, slave.Diag.Seen ? DiagWords(BytesOf(slave.Diag.Last), slave.Diag.Dpv1, GsdDiagNames(match)) : "");
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n<h3>DP services</h3>\n<table class=\"figures\">\n");
    PutHeaderRow(out, {"Address", "Set_Prm", "Chk_Cfg", "Data_Exchange", "answered", "DH/RDH", "Slave_Diag responses",
                       "UE", "RR", "RS", "DP-V1 reads", "DP-V1 writes", "DP-V1 errors"});
    for (const ReportRow& row : rows) {
        PutText(out, "<tr>");
        for (const char* figure :
             {"address", "dp.prm.count", "dp.cfg.count", "dp.data_exchange.requests", "dp.data_exchange.answered",
              "dp.data_exchange.diag_waiting", "dp.diag.responses", "dp.negative.UE", "dp.negative.RR",
              "dp.negative.RS", "dp.dpv1.reads", "dp.dpv1.writes", "dp.dpv1.errors"})
            PutFigureCell(out, row, figure);
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n<p class=\"caption\">State, ident and master are those of the last answer and "
                 "diagnosis read; the counts are of the requests in the reference window. Set_Prm and Chk_Cfg "
                 "count those answered positively; DP-V1 reads and writes count a request once however often "
                 "the master polls it.</p>\n");
}

void PutDpEventTable(TextOut& out, const BusStats& stats, const ReportDocument& document,
                     const GsdMatches& matches) {
    const DpEvents& events = stats.Events;
    if (events.Kept.empty()) {
        PutText(out, "<p>No DP event.</p>\n");
        return;
    }
    const ReportDocument* list = FindReportValue(document, "events");
    assert(list != nullptr && list->size() == events.Kept.size());  // the document of these stats
    const std::size_t shown = std::min(events.Kept.size(), kEventsShown);
    PutText(out, "<table class=\"figures\">\n");
    PutHeaderRow(out, {"#", "Time (hh:mm:ss)", "Station", "Kind", "Event"});
    for (std::size_t i = 0; i < shown; ++i) {
        const ReportRow row{&(*list)[i], "events[" + std::to_string(i) + "]"};
        PutText(out, "<tr>");
        PutNumberCell(out, GroupedUnsigned(i), "", CellUnit::AsIs);
        PutFigureCell(out, row, "ns", CellUnit::Clock);
        PutFigureCell(out, row, "address");
        PutFigureCell(out, row, "kind");
        PutTextCell(out, GsdEventWords(events, events.Kept[i], matches));
        PutText(out, "</tr>\n");
    }
    PutText(out, "</tbody>\n</table>\n");
    std::string caption = GroupedUnsigned(shown) + " of " + GroupedUnsigned(events.Kept.size() + events.Dropped) +
                          " events, in time order";
    if (shown < events.Kept.size()) caption += "; the JSON report and Format=events list every event kept";
    if (events.Dropped > 0) caption += "; only the first " + GroupedUnsigned(kDpEventsKept) + " were kept";
    PutText(out, "<p class=\"caption\">");
    PutEscaped(out, caption + ".");
    PutText(out, "</p>\n");
}

}  // namespace zelmot
