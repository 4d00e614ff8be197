// zelmot-watch's run. One thread reads: the follower pumps what the
// recorder wrote into the live analysis, the events it recorded are told
// after each pump, and at most every kSnapshotEvery,
// when frames came, the analysis is finished on a copy, its changes told -- a console line each, MQTT messages, the alert
// command for new findings at AlertAt or worse -- and the copy becomes the
// view the HTTP server renders. Between pumps the thread sleeps until the
// folder changes (follow_wait.h). SIGINT/SIGTERM end the loop; the outputs
// then stop in order, MQTT flushed within kMqttFlush. With Report= the
// follower's frames pass the period reports first (period_reports.h), and
// the last period's report is written at the stop.
#include "watch/watch_command.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "follow/capture_follower.h"
#include "follow/follow_wait.h"
#include "report/number_text.h"
#include "run/command_line.h"
#include "watch/alert_command.h"
#include "watch/mqtt_link.h"
#include "watch/period_reports.h"
#include "watch/watch_http.h"
#include "watch/watch_options.h"
#include "watch/watch_view.h"

namespace zelmot {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kSnapshotEvery{500};
constexpr std::chrono::milliseconds kIdleWait{60'000};  // nothing to do but wait for the folder
constexpr std::chrono::milliseconds kMqttFlush{5000};
constexpr std::chrono::milliseconds kAlertDrain{2000};
constexpr std::size_t kFramesPerPump = 200'000;  // then a copy is due again

constexpr const char kUsage[] =
    "use: zelmot-watch <folder>/<name> [options]\n"
    "    follows <name>HHMM.Zelmot as it is written, from the newest file\n"
    "Options:\n"
    "    From=HHMM      Start at this minute's file (waits for it)\n"
    "    StartRef=<n>   Start Reference Number\n"
    "    EndRef=<n>     End   Reference Number\n"
    "    Http=<addr>    Serve the live page, /report.json and /metrics\n"
    "                   (port, :port or host:port; 127.0.0.1 unless named)\n"
    "    Mqtt=<addr>    Publish events, findings and slave states to this broker\n"
    "    MqttTopic=<t>  Topic prefix (default zelmot/<name>)\n"
    "    OnAlert=<cmd>  Run cmd for each new finding, its JSON on standard input\n"
    "    AlertAt=<s>    From this severity on: fault (default) or warning\n"
    "    Report=<dir>   Write the HTML and JSON report of each period into <dir>\n"
    "    ReportEvery=<n>\n"
    "                   Capture minutes per period (with Report=)\n";

struct WatchWords {
    RunSettings Settings;
    WatchOptions Options;
    bool HasFrom = false;
    unsigned FromHour = 0;
    unsigned FromMinute = 0;
};

bool ParseFrom(const char* value, WatchWords& words, std::FILE* err) {
    const std::string text(value);
    bool digits = text.size() == 4;
    for (char c : text) digits = digits && ascii::IsDigit(c);
    const unsigned hour = digits ? static_cast<unsigned>((text[0] - '0') * 10 + (text[1] - '0')) : 99;
    const unsigned minute = digits ? static_cast<unsigned>((text[2] - '0') * 10 + (text[3] - '0')) : 99;
    if (hour > 23 || minute > 59) {
        std::fprintf(err, "Invalid From - %s (HHMM, 0000-2359)\n", value);
        return false;
    }
    words.HasFrom = true;
    words.FromHour = hour;
    words.FromMinute = minute;
    return true;
}

bool ParseWord(const char* word, WatchWords& words, std::FILE* err) {
    switch (ParseWatchWord(word, words.Options, err)) {
        case WordTaken::Taken: return true;
        case WordTaken::Rejected: return false;
        case WordTaken::NotMine: break;
    }
    if (ascii::StartsWithNoCase(word, "From=")) return ParseFrom(word + 5, words, err);
    return ParseSharedOption(word, words.Settings, err);
}

// The stem the files are named by: the name as given, its ".Zelmot" left
// off; a full file name ("line1203") when no file is named after it as a
// stem is the stem and the minute to start from, as the other programs read it.
void TakeCaptureName(std::string name, WatchWords& words) {
    constexpr std::string_view kExtension = ".Zelmot";
    if (name.size() > kExtension.size() && name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) == 0)
        name.resize(name.size() - kExtension.size());
    words.Settings.CaptureBaseName = name;
    words.Settings.CaptureName = name;
    if (!IsValidCaptureName(name) || NewestMinuteFile(ListMinuteFiles(name))) return;
    RunSettings named = words.Settings;
    DeriveCaptureNames(name, named);
    if (named.StartHour > 23 || named.StartMinute > 59 || !NewestMinuteFile(ListMinuteFiles(named.CaptureBaseName)))
        return;
    words.Settings.CaptureBaseName = named.CaptureBaseName;
    if (!words.HasFrom) {
        words.HasFrom = true;
        words.FromHour = named.StartHour;
        words.FromMinute = named.StartMinute;
    }
}

std::string FolderOf(const std::string& stem) {
    std::filesystem::path folder = std::filesystem::path(stem).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// Everything the reading thread keeps.
struct Watcher {
    WatchWords Words;
    std::FILE* Out = nullptr;
    std::FILE* Err = nullptr;
    LiveAnalysis Live;
    CaptureFollower Follower;
    ChangeTracker Changes;
    SharedView Shared;
    std::deque<ReportDocument> Notes;
    std::deque<FigureMark> Marks;  // one a copy, for the last minute
    Clock::time_point LastRecord = Clock::now();
    std::chrono::system_clock::time_point Started = std::chrono::system_clock::now();
    std::uint64_t FramesRead = 0;  // by the follower, when last looked at
    std::uint64_t FramesSeen = 0;  // at the last copy
    std::size_t NotesSeen = 0;
    bool HasMqtt = false;
    MqttLink Mqtt;
    bool HasAlert = false;
    AlertRunner Alert;
    HttpServer Http;
    PeriodReports Periods;
};

void Say(Watcher& watcher, const std::string& line) {
    std::fprintf(watcher.Out, "%s\n", line.c_str());
    std::fflush(watcher.Out);
}

void TakeNote(Watcher& watcher, const FollowNote& note) {
    const std::int64_t ns = watcher.Live.Stats->LastNs;
    Say(watcher, (watcher.Live.Stats->FramesRead > 0 ? TimeOfDayText(ns) + " " : std::string()) + note.Text);
    constexpr const char* kKinds[] = {"following", "recording_gap", "read_afresh", "reader_fault"};
    ReportDocument item{{"kind", kKinds[static_cast<std::size_t>(note.What)]}, {"text", note.Text}, {"ns", ns}};
    if (note.What == FollowNote::Kind::RecordingGap) {
        item["from"] = MinuteText(note.FromHour, note.FromMinute);
        item["to"] = MinuteText(note.ToHour, note.ToMinute);
    }
    if (watcher.HasMqtt) PublishMessage(watcher.Mqtt, "event", item.dump());
    watcher.Notes.push_back(std::move(item));
    if (watcher.Notes.size() > kNotesKept) watcher.Notes.pop_front();
}

WatchHealth HealthOf(Watcher& watcher) {
    WatchHealth health;
    health.Capture = watcher.Words.Settings.CaptureName;
    health.StartTimeSeconds = std::chrono::duration<double>(watcher.Started.time_since_epoch()).count();
    health.MqttOn = watcher.HasMqtt;
    if (watcher.HasMqtt) {
        const MqttStatus status = MqttStatusOf(watcher.Mqtt);
        health.MqttConnected = status.Connected;
        health.MqttQueued = status.Queued;
        health.MqttSent = status.Sent;
        health.MqttDropped = status.Dropped;
    }
    health.AlertOn = watcher.HasAlert;
    if (watcher.HasAlert) {
        const AlertStatus status = AlertStatusOf(watcher.Alert);
        health.AlertsRun = status.Run;
        health.AlertsFailed = status.Failed;
        health.AlertsDropped = status.Dropped;
    }
    return health;
}

// Tells one change on the console, MQTT and to the alert command.
void Tell(Watcher& watcher, const WatchChange& change) {
    Say(watcher, ConsoleLine(change));
    const bool finding = change.What != WatchChange::Kind::Event;
    if (watcher.HasMqtt) PublishMessage(watcher.Mqtt, finding ? "finding" : "event", change.Json.dump());
    if (change.What == WatchChange::Kind::NewFinding && watcher.HasAlert &&
        ReachesAlertLevel(change.Severity, watcher.Words.Options.AlertAt))
        QueueAlert(watcher.Alert, change.Json.dump());
}

// Tells the events recorded since the last time, and lets the oldest go.
void TellEvents(Watcher& watcher) {
    TellNewEvents(watcher.Changes, watcher.Live.Stats->Events,
                  [&watcher](const WatchChange& change) { Tell(watcher, change); });
}

// Finishes a copy of the analysis, tells its changes and shows it.
void TakeSnapshot(Watcher& watcher) {
    TellEvents(watcher);
    ClearView(watcher.Shared);
    std::shared_ptr<AnalysisSnapshot> snapshot = SnapshotAnalysis(watcher.Live);
    std::vector<SlaveState> states;
    TakeChanges(watcher.Changes, *snapshot, [&watcher](const WatchChange& change) { Tell(watcher, change); }, states);
    if (watcher.HasMqtt)
        for (const SlaveState& state : states)
            PublishSlaveState(watcher.Mqtt, state.Address,
                              ReportDocument{{"address", state.Address}, {"state", state.State}, {"ns", state.Ns},
                                             {"time", TimeOfDayText(state.Ns)}}
                                  .dump());
    auto view = std::make_shared<WatchView>();
    const BusStats& stats = *snapshot->Stats;
    const Clock::time_point now = Clock::now();
    watcher.Marks.push_back(FigureMark{now, stats.FramesRead, stats.ErrorFrames});
    while (watcher.Marks.size() > 1 && now - watcher.Marks[1].At >= std::chrono::minutes(1)) watcher.Marks.pop_front();
    if (now - watcher.Marks.front().At >= std::chrono::seconds(59)) {
        view->HasLastMinute = true;
        view->LastMinute.Frames = stats.FramesRead - watcher.Marks.front().Frames;
        view->LastMinute.DamagedFrames = stats.ErrorFrames - watcher.Marks.front().DamagedFrames;
    }
    view->Snapshot = std::move(snapshot);
    view->Name = std::filesystem::path(watcher.Words.Settings.CaptureBaseName).filename().string();
    view->Following = FollowedFileName(watcher.Follower);
    // The findings open now, in their words of now, the newest first.
    for (const ReportDocument& item : watcher.Changes.OpenFindings)
        view->Findings.push_back(LiveFinding{item["severity"].get<std::string>(), item["first_ns"].get<std::int64_t>(),
                                             item["title"].get<std::string>()});
    std::stable_sort(view->Findings.begin(), view->Findings.end(),
                     [](const LiveFinding& a, const LiveFinding& b) { return a.Ns > b.Ns; });
    view->Events.assign(watcher.Changes.LastEvents.begin(), watcher.Changes.LastEvents.end());
    view->Notes = watcher.Notes;
    view->LastRecord = watcher.LastRecord;
    PublishView(watcher.Shared, std::move(view));
}

// A part's notes, a line each on err (from any thread).
std::function<void(const std::string&)> LogTo(std::FILE* err) {
    return [err](const std::string& text) {
        std::fprintf(err, "%s\n", text.c_str());
        std::fflush(err);
    };
}

bool StartOutputs(Watcher& watcher) {
    const WatchOptions& options = watcher.Words.Options;
    if (!options.ReportFolder.empty()) {
        const Outcome usable = CheckReportFolder(options.ReportFolder);
        if (!usable.IsOk()) return std::fprintf(watcher.Err, "%s\n", usable.Text.c_str()), false;
    }
    if (options.HasMqtt) {
        MqttSettings settings;
        settings.Broker = options.Mqtt;
        settings.Topic = options.MqttTopic.empty() ? DefaultMqttTopic(watcher.Words.Settings.CaptureBaseName)
                                                   : options.MqttTopic;
        settings.Log = LogTo(watcher.Err);
        const Outcome started = StartMqtt(std::move(settings), watcher.Mqtt);
        if (!started.IsOk()) return std::fprintf(watcher.Err, "%s\n", started.Text.c_str()), false;
        watcher.HasMqtt = true;
    }
    if (!options.AlertCommand.empty()) {
        AlertSettings settings;
        settings.Command = options.AlertCommand;
        settings.Log = LogTo(watcher.Err);
        StartAlertRunner(std::move(settings), watcher.Alert);
        watcher.HasAlert = true;
    }
    if (options.HasHttp) {
        SharedView* shared = &watcher.Shared;
        HttpRoutes routes;
        routes.Page = [shared] { return ViewPage(*CurrentView(*shared)); };
        routes.Report = [shared] { return ViewReport(*CurrentView(*shared)); };
        Watcher* self = &watcher;
        routes.Metrics = [shared, self] { return ViewMetrics(*CurrentView(*shared), [self] { return HealthOf(*self); }); };
        const Outcome started = StartHttpServer(options.Http, std::move(routes), watcher.Http);
        if (!started.IsOk()) return std::fprintf(watcher.Err, "%s\n", started.Text.c_str()), false;
        std::fprintf(watcher.Err, "HTTP on %s\n",
                     HostPortText(HostPort{options.Http.Host, HttpServerPort(watcher.Http)}).c_str());
        std::fflush(watcher.Err);
    }
    return true;
}

void StopOutputs(Watcher& watcher) {
    StopHttpServer(watcher.Http);
    if (watcher.HasAlert) StopAlertRunner(watcher.Alert, kAlertDrain);
    if (watcher.HasMqtt && !StopMqtt(watcher.Mqtt, kMqttFlush))
        std::fprintf(watcher.Err, "MQTT: not every message went out before the stop\n");
}

int Run(Watcher& watcher) {
    FollowSettings follow;
    follow.Stem = watcher.Words.Settings.CaptureBaseName;
    follow.HasFrom = watcher.Words.HasFrom;
    follow.FromHour = watcher.Words.FromHour;
    follow.FromMinute = watcher.Words.FromMinute;
    follow.StartRef = watcher.Words.Settings.StartRef;
    follow.EndRef = watcher.Words.Settings.EndRef;
    follow.MaxFrames = kFramesPerPump;
    RunSink sink = LiveAnalysisSink(watcher.Live);
    const WatchOptions& options = watcher.Words.Options;
    if (!options.ReportFolder.empty()) {
        PeriodSettings periods;
        periods.Folder = options.ReportFolder;
        periods.Stem = follow.Stem;
        periods.Minutes = options.ReportEvery;
        periods.Log = LogTo(watcher.Err);
        sink = PeriodReportSink(watcher.Periods, std::move(periods), sink);
    }
    StartFollower(watcher.Follower, follow, sink, [&watcher](const FollowNote& note) { TakeNote(watcher, note); });
    FolderWatch folder;
    StartFolderWatch(folder, FolderOf(follow.Stem));
    TakeSnapshot(watcher);
    if (!StartOutputs(watcher)) {
        StopOutputs(watcher);
        return kExitFailure;
    }
    int status = kExitSuccess;
    bool reading = true;
    Clock::time_point lastCopy = Clock::now();
    while (!StopRequested()) {
        FollowState state = FollowState::Waiting;
        if (reading) state = PumpFollower(watcher.Follower);
        TellEvents(watcher);
        if (state == FollowState::Failed) {
            std::fprintf(watcher.Err, "%s\n", watcher.Follower.Fault.c_str());
            status = kExitFailure;
            break;
        }
        if (state == FollowState::Ended) reading = false;
        const Clock::time_point now = Clock::now();
        if (watcher.Follower.FramesRead != watcher.FramesRead) {
            watcher.FramesRead = watcher.Follower.FramesRead;
            watcher.LastRecord = now;
        }
        bool due = watcher.FramesRead != watcher.FramesSeen || watcher.Notes.size() != watcher.NotesSeen;
        if (due && now - lastCopy >= kSnapshotEvery) {
            watcher.FramesSeen = watcher.FramesRead;
            watcher.NotesSeen = watcher.Notes.size();
            TakeSnapshot(watcher);
            lastCopy = now;
            due = false;
        }
        if (state == FollowState::More) continue;
        const auto untilCopy =
            due ? std::chrono::duration_cast<std::chrono::milliseconds>(kSnapshotEvery - (now - lastCopy)) : kIdleWait;
        WaitForChange(folder, std::max(untilCopy, std::chrono::milliseconds(1)));
    }
    TakeSnapshot(watcher);
    FinishPeriod(watcher.Periods);
    StopFolderWatch(folder);
    StopFollower(watcher.Follower);
    StopOutputs(watcher);
    return status;
}

}  // namespace

int WatchMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    if (argc < 2) return ShowUsage(kUsage, err);
    auto watcher = std::make_unique<Watcher>();
    watcher->Out = out;
    watcher->Err = err;
    WatchWords& words = watcher->Words;
    for (int i = 2; i < argc; ++i)
        if (!ParseWord(argv[i], words, err)) return ShowUsage(kUsage, err);
    if (!CheckWatchOptions(words.Options, err)) return ShowUsage(kUsage, err);
    TakeCaptureName(argv[1], words);
    InstallStopSignals();
    return Run(*watcher);
}

}  // namespace zelmot
