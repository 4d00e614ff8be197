// What the HTTP server shows, shared between the watcher's thread (which
// replaces it after every analysis copy) and the server's workers (which
// render it when asked): the last copy of the analysis, the findings and
// events in words, the watcher's notes (recording gaps, files read afresh),
// and the figures of the last minute. The view is
// replaced whole under a lock and never changed, so a worker renders from a
// shared pointer without holding the lock. The watcher lets go of the view
// before it makes the next copy (ClearView), so that no more than two
// copies of the analysis are held (the live one and the copy); a request
// in between waits the milliseconds until the next view is there.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "watch/live_analysis.h"
#include "watch/live_page.h"
#include "watch/watch_metrics.h"

namespace zelmot {

inline constexpr std::size_t kNotesKept = 100;

// Frames and damaged frames since the start, at one moment.
struct FigureMark {
    std::chrono::steady_clock::time_point At;
    std::uint64_t Frames = 0;
    std::uint64_t DamagedFrames = 0;
};

struct WatchView {
    std::shared_ptr<const AnalysisSnapshot> Snapshot;
    std::string Name;                      // the capture's stem without folder
    std::string Following;                 // the file read now
    std::vector<LiveFinding> Findings;     // newest first
    std::vector<std::string> Events;       // newest first
    std::deque<ReportDocument> Notes;      // {"kind","text", ...}, oldest first, kNotesKept
    FigureMark LastMinute;                 // the difference over the last minute (At: unused)
    bool HasLastMinute = false;
    std::chrono::steady_clock::time_point LastRecord;  // when frames last arrived
};

struct SharedView {
    std::mutex Lock;
    std::condition_variable Published;
    std::shared_ptr<const WatchView> View;
};

// The parts' health as it is when /metrics is asked for (safe to call from
// the server's workers); its LastRecordAgeSeconds is the view's to fill.
using HealthSource = std::function<WatchHealth()>;

void PublishView(SharedView& shared, std::shared_ptr<const WatchView> view);
void ClearView(SharedView& shared);
// The view; waits while there is none.
std::shared_ptr<const WatchView> CurrentView(SharedView& shared);

// The three renderings: the live page, zelmot-stats' JSON report with the
// watcher's own key "watch" beside its keys, the Prometheus text.
std::string ViewPage(const WatchView& view);
std::string ViewReport(const WatchView& view);
std::string ViewMetrics(const WatchView& view, const HealthSource& health);

}  // namespace zelmot
