// zelmot-stats' analysis fed as the recording is read (analysis_run.h's
// steps, nothing of its own), and what it says now: a finished copy made
// when asked -- the live analysis goes on unfinished -- with the findings
// and the report document zelmot-stats writes, and what changed since the
// copy before (new DP events, findings new and ended, slaves' states).
//
// Memory stays bounded however long it runs: the analysis keeps its own
// bounded figures; its events are a ring of the latest kWatchEventsKept
// (the oldest dropped once told); the watcher keeps one finding per kind,
// station and subject.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/findings.h"
#include "analysis/gsd_match.h"
#include "report/report_document.h"

namespace zelmot {

inline constexpr std::size_t kLastEventsKept = 50;   // in words, for the live page
inline constexpr std::size_t kWatchEventsKept = 2000;  // the ring: the copies and /report.json hold these

struct LiveAnalysis {
    std::unique_ptr<BusStats> Stats = std::make_unique<BusStats>();
    Analysis Run;
    bool Started = false;
    std::string FirstFile;  // the first file's name without folder and extension
};

// The sink a follower feeds: the analysis' steps for every frame. Its
// events are kept without limit until TellNewEvents drops the oldest.
RunSink LiveAnalysisSink(LiveAnalysis& live);

// The analysis as it stands, finished on a copy.
struct AnalysisSnapshot {
    std::unique_ptr<BusStats> Stats;
    GsdMatches Matches;
    std::vector<Finding> Findings;  // point into Stats
    std::string CaptureName;        // the first file's name without folder and extension
};

std::shared_ptr<AnalysisSnapshot> SnapshotAnalysis(const LiveAnalysis& live);

// zelmot-stats' JSON report of the copy, made when asked for (a document
// of a long run is large; the copy is not).
ReportDocument SnapshotDocument(const AnalysisSnapshot& snapshot);

// One change the watcher tells: a DP event, a finding new or ended.
struct WatchChange {
    enum class Kind : std::uint8_t { Event, NewFinding, EndedFinding };
    Kind What = Kind::Event;
    std::int64_t Ns = 0;         // capture time it is told at
    std::string Text;            // the console's words after the time
    ReportDocument Json;         // the MQTT message / the alert's input
    std::string Severity;        // findings: "fault", "warning", "note"
};

// What the watcher has told so far, to tell only what is new.
struct ChangeTracker {
    std::uint64_t NextEvent = 0;                // the sequence number of the first event not told
    std::vector<ReportDocument> OpenFindings;   // one per kind, station and subject
    std::vector<std::uint8_t> SlaveStates = std::vector<std::uint8_t>(kStationCount, 0xFF);
    std::deque<std::string> LastEvents;         // newest first, kLastEventsKept
};

// Tells each event the live analysis recorded since the last call, in the
// order recorded (by sequence number, so that an event whose frame's stamp
// steps back is told once like any other), then drops the oldest events
// past kWatchEventsKept: nothing is dropped before it is told.
void TellNewEvents(ChangeTracker& tracker, DpEvents& events, const std::function<void(const WatchChange&)>& tell);

// The findings new and ended between the copy before and this one, and the
// states changed; the events are TellNewEvents'. States lists the DP
// slaves whose state changed (address, state name).
struct SlaveState {
    std::uint8_t Address = 0;
    std::string State;
    std::int64_t Ns = 0;
};
// Each change goes to tell as it is found (a burst of events is never held
// at once).
void TakeChanges(ChangeTracker& tracker, const AnalysisSnapshot& snapshot,
                 const std::function<void(const WatchChange&)>& tell, std::vector<SlaveState>& states);

// "12:00:03.125 400 new fault: slave 7 dropped out ..."
std::string ConsoleLine(const WatchChange& change);

}  // namespace zelmot
