// Rendering the shared view; the report's own key "watch" holds what only
// a watcher knows: the recording gaps and other notes, the last minute's
// figures, the file followed, and how many events there were: the report
// lists the latest (the ring, kWatchEventsKept), the older ones are left
// out (counted in events_dropped as well).
#include "watch/watch_view.h"

#include <algorithm>
#include <cstdio>

#include "report/finding_words.h"

namespace zelmot {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point at) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - at).count();
}

}  // namespace

void PublishView(SharedView& shared, std::shared_ptr<const WatchView> view) {
    {
        std::lock_guard<std::mutex> hold(shared.Lock);
        shared.View = std::move(view);
    }
    shared.Published.notify_all();
}

void ClearView(SharedView& shared) {
    std::shared_ptr<const WatchView> old;
    std::lock_guard<std::mutex> hold(shared.Lock);
    old.swap(shared.View);  // freed here unless a request still renders it
}

std::shared_ptr<const WatchView> CurrentView(SharedView& shared) {
    std::unique_lock<std::mutex> hold(shared.Lock);
    shared.Published.wait(hold, [&] { return shared.View != nullptr; });
    return shared.View;
}

std::string ViewPage(const WatchView& view) {
    LivePageInput input;
    input.Name = view.Name;
    char age[64];
    std::snprintf(age, sizeof age, "; last record %.1f s ago", SecondsSince(view.LastRecord));
    input.Status = view.Following.empty() ? std::string("waiting for the first capture file")
                                          : "following " + view.Following + age;
    input.Stats = view.Snapshot->Stats.get();
    input.Findings = view.Findings;
    input.Events = view.Events;
    return LivePageHtml(input);
}

std::string ViewReport(const WatchView& view) {
    ReportDocument document = SnapshotDocument(*view.Snapshot);
    ReportDocument watch;
    watch["following"] = view.Following;
    ReportDocument gaps = ReportDocument::array();
    ReportDocument notes = ReportDocument::array();
    for (const ReportDocument& note : view.Notes) {
        notes.push_back(note);
        if (note["kind"] == "recording_gap") gaps.push_back({{"from", note["from"]}, {"to", note["to"]}});
    }
    watch["recording_gaps"] = gaps;
    watch["notes"] = notes;
    watch["last_minute"] = view.HasLastMinute ? ReportDocument{{"frames", view.LastMinute.Frames},
                                                               {"damaged_frames", view.LastMinute.DamagedFrames}}
                                              : ReportDocument(nullptr);
    const DpEvents& events = view.Snapshot->Stats->Events;
    watch["events_recorded"] = events.Dropped + events.Kept.size();
    watch["events_left_out"] = events.Dropped;
    document["watch"] = watch;
    return JsonReport(document);
}

std::string ViewMetrics(const WatchView& view, const HealthSource& source) {
    std::vector<FindingCount> counts;
    for (const Finding& finding : view.Snapshot->Findings) {
        const std::string kind(FindingKindName(finding.Kind));
        const std::string severity(SeverityName(finding.Level));
        auto row = std::find_if(counts.begin(), counts.end(),
                                [&](const FindingCount& c) { return c.Kind == kind && c.Severity == severity; });
        if (row == counts.end()) counts.push_back(FindingCount{kind, severity, 1});
        else ++row->Count;
    }
    WatchHealth health = source();
    health.LastRecordAgeSeconds = SecondsSince(view.LastRecord);
    return WatchMetricsText(*view.Snapshot->Stats, counts, health);
}

}  // namespace zelmot
