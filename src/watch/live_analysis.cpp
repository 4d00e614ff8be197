// The live analysis: AnalyseFrame and AnalyseResync as the follower reads,
// FinishAnalysis on a copy (the live steps stay open), and the changes the
// console, MQTT and the alert command are told of.
#include "watch/live_analysis.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <filesystem>

#include "gsd/gsd_library.h"
#include "report/dp_words.h"
#include "report/findings_json.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

void Start(LiveAnalysis& live, const CaptureHeader& header, const BaudTiming& baud) {
    live.Run.Stats = live.Stats.get();
    StartAnalysis(live.Run, HeaderBaudIndex(header), baud);
    live.Started = true;
}

void FileOpened(LiveAnalysis& live, const std::string& fileName) {
    ++live.Stats->FilesRead;
    if (live.FirstFile.empty()) live.FirstFile = std::filesystem::path(fileName).stem().string();
}

void Resync(LiveAnalysis& live, const SyncLostNote& note) {
    if (live.Started) AnalyseResync(live.Run, note.ReferenceNumber);
}

bool Frame(LiveAnalysis& live, const RunFrame& frame) {
    AnalyseFrame(live.Run, frame);
    return true;
}

// Findings are the same finding while kind, station and subject are.
bool SameFinding(const ReportDocument& a, const ReportDocument& b) {
    return a["kind"] == b["kind"] && a["address"] == b["address"] && a["subject"] == b["subject"];
}

WatchChange FindingChange(const ReportDocument& item, bool isNew, std::int64_t ns) {
    WatchChange change;
    change.What = isNew ? WatchChange::Kind::NewFinding : WatchChange::Kind::EndedFinding;
    change.Severity = item["severity"].get<std::string>();
    change.Ns = isNew ? item["first_ns"].get<std::int64_t>() : ns;
    change.Text = std::string(isNew ? "new " : "ended ") + change.Severity + ": " + item["title"].get<std::string>();
    change.Json = item;
    change.Json["change"] = isNew ? "new" : "ended";
    return change;
}

}  // namespace

RunSink LiveAnalysisSink(LiveAnalysis& live) {
    live.Run.Stats = live.Stats.get();
    live.Stats->Events.Limit = std::numeric_limits<std::size_t>::max();
    RunSink sink = SinkOf(live, true);
    sink.Started = SinkCall<Start>::Call;
    sink.FileOpened = SinkCall<FileOpened>::Call;
    sink.SyncLost = SinkCall<Resync>::Call;
    sink.Frame = SinkCall<Frame>::Call;
    return sink;
}

std::shared_ptr<AnalysisSnapshot> SnapshotAnalysis(const LiveAnalysis& live) {
    auto snapshot = std::make_shared<AnalysisSnapshot>();
    snapshot->Stats = std::make_unique<BusStats>(*live.Stats);
    if (live.Started) {
        Analysis copy = live.Run;
        copy.Stats = snapshot->Stats.get();
        FinishAnalysis(copy);
    }
    snapshot->Matches = MatchGsdDevices(GsdLibrary{}, false, *snapshot->Stats);
    snapshot->Findings = FindFindings(*snapshot->Stats, snapshot->Matches);
    snapshot->CaptureName = live.FirstFile;
    return snapshot;
}

ReportDocument SnapshotDocument(const AnalysisSnapshot& snapshot) {
    return BuildReportDocument(*snapshot.Stats, snapshot.Matches, snapshot.CaptureName);
}

void TellNewEvents(ChangeTracker& tracker, DpEvents& events, const std::function<void(const WatchChange&)>& tell) {
    assert(tracker.NextEvent >= events.Dropped);  // none dropped before it was told
    for (std::size_t i = static_cast<std::size_t>(tracker.NextEvent - events.Dropped); i < events.Kept.size(); ++i) {
        const DpEvent& event = events.Kept[i];
        WatchChange change;
        change.What = WatchChange::Kind::Event;
        change.Ns = event.Ns;
        change.Text = DpEventWords(events, event);
        change.Json = ReportDocument{{"ns", change.Ns}, {"time", TimeOfDayText(change.Ns)},
                                     {"address", event.Address}, {"kind", DpEventName(event.Kind)},
                                     {"text", change.Text}};
        tracker.LastEvents.push_front(TimeOfDayText(change.Ns) + " " + change.Text);
        if (tracker.LastEvents.size() > kLastEventsKept) tracker.LastEvents.pop_back();
        tell(change);
    }
    tracker.NextEvent = events.Dropped + events.Kept.size();
    DropOldestEvents(events, kWatchEventsKept);
}

void TakeChanges(ChangeTracker& tracker, const AnalysisSnapshot& snapshot,
                 const std::function<void(const WatchChange&)>& tell, std::vector<SlaveState>& states) {
    const BusStats& stats = *snapshot.Stats;
    const ReportDocument now = FindingsJson(snapshot.Findings, stats, snapshot.Matches);
    for (const ReportDocument& item : now) {
        const bool known = std::any_of(tracker.OpenFindings.begin(), tracker.OpenFindings.end(),
                                       [&](const ReportDocument& open) { return SameFinding(open, item); });
        if (!known) tell(FindingChange(item, true, stats.LastNs));
    }
    for (const ReportDocument& open : tracker.OpenFindings) {
        const bool still =
            std::any_of(now.begin(), now.end(), [&](const ReportDocument& item) { return SameFinding(open, item); });
        if (!still) tell(FindingChange(open, false, stats.LastNs));
    }
    tracker.OpenFindings.assign(now.begin(), now.end());

    for (std::size_t address = 0; address < kStationCount; ++address) {
        const DpSlaveStats& dp = stats.Stations[address].Dp;
        if (!dp.Active || static_cast<std::uint8_t>(dp.State) == tracker.SlaveStates[address]) continue;
        tracker.SlaveStates[address] = static_cast<std::uint8_t>(dp.State);
        states.push_back(SlaveState{static_cast<std::uint8_t>(address),
                                    dp.State == DpState::None ? std::string("none") : std::string(DpStateName(dp.State)),
                                    stats.LastNs});
    }
}

std::string ConsoleLine(const WatchChange& change) { return TimeOfDayText(change.Ns) + " " + change.Text; }

}  // namespace zelmot
