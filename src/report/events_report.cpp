// Format=events: the DP events as CSV, a header row, then one row per event
// kept, in time order: the time in nanoseconds and as the absolute time of
// day, the station, the kind and the event in words (quoted when the words
// hold a comma).
#include "report/events_report.h"

#include "report/dp_words.h"
#include "report/gsd_words.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

// A CSV field: as it is, or quoted with its quotes doubled.
void AppendField(std::string& line, const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) {
        line += text;
        return;
    }
    line += '"';
    for (char c : text) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

}  // namespace

std::string EventsReport(const BusStats& stats) { return EventsReport(stats, GsdMatches{}); }

std::string EventsReport(const BusStats& stats, const GsdMatches& matches) {
    std::string out = "time_ns,time,address,kind,text\n";
    for (const DpEvent& event : stats.Events.Kept) {
        out += std::to_string(event.Ns) + "," + ClockText(event.Ns, 9) + "," + std::to_string(event.Address) + "," +
               std::string(DpEventName(event.Kind)) + ",";
        AppendField(out, GsdEventWords(stats.Events, event, matches));
        out += '\n';
    }
    return out;
}

}  // namespace zelmot
