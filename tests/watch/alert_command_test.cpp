// The alert command: the finding's JSON arrives whole on the command's
// standard input, one command at a time in the order queued, a command that
// hangs is killed at its limit (with what it started) and the next alert
// still runs, failures are noted and counted, a full queue drops, and a
// stop kills the command still running.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <mutex>
#include <thread>

#include "support/process_runner.h"
#include "watch/alert_command.h"
#include "watch/alert_process.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Scratch {
    fs::path Dir;
    Scratch() {
        Dir = fs::temp_directory_path() /
              ("zelmot-alert-" + std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    std::string Path(const std::string& name) const { return (Dir / name).string(); }
};

std::vector<std::string> Probe(const std::string& out, const std::string& log, int pauseMs, int status) {
    return {ZELMOT_ALERT_PROBE_EXE, out, log, std::to_string(pauseMs), std::to_string(status)};
}

struct Notes {
    std::mutex Lock;
    std::vector<std::string> Lines;
    std::function<void(const std::string&)> Sink() {
        return [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(Lock);
            Lines.push_back(line);
        };
    }
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> lock(Lock);
        return Lines;
    }
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(AlertProcess, TheInputArrivesWholeAndTheStatusComesBack) {
    Scratch scratch;
    nlohmann::json finding = {{"kind", "drop_out"}, {"severity", "fault"}, {"address", 7},
                              {"title", "slave 7 dropped out \"twice\"; ü"}, {"evidence", std::string(100000, 'x')}};
    const std::string text = finding.dump();  // larger than a pipe's buffer
    AlertProcessResult result =
        RunAlertProcess(Probe(scratch.Path("in.json"), scratch.Path("log"), 0, 3), text, 20s, nullptr);
    EXPECT_TRUE(result.Started);
    EXPECT_FALSE(result.Killed);
    EXPECT_EQ(result.ExitCode, 3);
    const std::string received = test::FileText(scratch.Path("in.json"));
    EXPECT_EQ(received, text);
    EXPECT_EQ(nlohmann::json::parse(received), finding);
}

TEST(AlertProcess, AHangingCommandIsKilledAtItsLimit) {
    const auto start = std::chrono::steady_clock::now();
    AlertProcessResult result = RunAlertProcess({ZELMOT_ALERT_PROBE_EXE, "hang"}, "{}", 300ms, nullptr);
    EXPECT_TRUE(result.Started);
    EXPECT_TRUE(result.Killed);
    EXPECT_EQ(result.ExitCode, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST(AlertProcess, WhatTheCommandStartedIsKilledWithIt) {
    if (test::kWindows || !test::ProgramAvailable("sh")) GTEST_SKIP() << "POSIX shell";
    Scratch scratch;
    const std::string pidFile = scratch.Path("pid");
    // The shell starts a child that would outlive it, says its number, waits.
    AlertProcessResult result = RunAlertProcess(
        {"sh", "-c", "sleep 60 & echo $! > '" + pidFile + "'; wait"}, "", 500ms, nullptr);
    EXPECT_TRUE(result.Killed);
    const int pid = std::atoi(test::FileText(pidFile).c_str());
    ASSERT_GT(pid, 0);
    // Gone, or a zombie waiting for its new parent, once the signal is
    // taken (a loaded machine may take a moment to run it).
    std::string stat;
    const bool ended = WaitFor(
        [&] {
            stat = test::FileText("/proc/" + std::to_string(pid) + "/stat");
            const std::size_t close = stat.rfind(')');
            return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z';
        },
        10s);
    EXPECT_TRUE(ended) << stat;
}

TEST(AlertProcess, ACommandThatCannotStartSaysWhy) {
    AlertProcessResult result = RunAlertProcess({"zelmot-no-such-command-here"}, "{}", 5s, nullptr);
    EXPECT_FALSE(result.Started);
    EXPECT_FALSE(result.Error.empty());
}

TEST(AlertRunner, RunsOneAtATimeInOrderAndNotesFailures) {
    Scratch scratch;
    Notes notes;
    AlertRunner runner;
    const std::string log = scratch.Path("log");
    // Each run pauses 150 ms between its start and end lines and leaves
    // its input in in.json: the last one's is there at the end.
    StartAlertRunner({Probe(scratch.Path("in.json"), log, 150, 0), 20s, 10, notes.Sink()}, runner);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(QueueAlert(runner, "{\"n\":" + std::to_string(i) + "}"));
    ASSERT_TRUE(WaitFor([&] { return AlertStatusOf(runner).Run == 3 && AlertStatusOf(runner).Queued == 0; }, 20s));
    StopAlertRunner(runner, 20s);
    // start/end pairs never overlap: one command at a time.
    EXPECT_EQ(test::FileText(log), "start\nend\nstart\nend\nstart\nend\n");
    EXPECT_EQ(test::FileText(scratch.Path("in.json")), "{\"n\":2}");
    EXPECT_TRUE(notes.Take().empty());
}

TEST(AlertRunner, AHangingCommandIsKilledAndTheNextAlertStillRuns) {
    Scratch scratch;
    Notes notes;
    AlertRunner runner;
    StartAlertRunner({{ZELMOT_ALERT_PROBE_EXE, "hang"}, 300ms, 10, notes.Sink()}, runner);
    QueueAlert(runner, "{}");
    QueueAlert(runner, "{}");
    ASSERT_TRUE(WaitFor([&] { return AlertStatusOf(runner).Failed == 2; }, 20s));
    AlertStatus status = AlertStatusOf(runner);
    EXPECT_EQ(status.Run, 2u);
    StopAlertRunner(runner, 0ms);
    const auto lines = notes.Take();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Alert command " + std::string(ZELMOT_ALERT_PROBE_EXE) + " hang was killed after 300 ms");
}

TEST(AlertRunner, FailuresAreNotedNeverFatal) {
    Scratch scratch;
    Notes notes;
    AlertRunner runner;
    StartAlertRunner({Probe(scratch.Path("in.json"), scratch.Path("log"), 0, 4), 20s, 10, notes.Sink()}, runner);
    QueueAlert(runner, "{}");
    ASSERT_TRUE(WaitFor([&] { return AlertStatusOf(runner).Failed == 1; }, 20s));
    StopAlertRunner(runner, 5s);
    ASSERT_EQ(notes.Take().size(), 1u);
    EXPECT_NE(notes.Take()[0].find(" failed: exit status 4"), std::string::npos) << notes.Take()[0];

    AlertRunner missing;
    Notes missingNotes;
    StartAlertRunner({{"zelmot-no-such-command-here", "--x"}, 5s, 10, missingNotes.Sink()}, missing);
    QueueAlert(missing, "{}");
    ASSERT_TRUE(WaitFor([&] { return AlertStatusOf(missing).Failed == 1; }, 20s));
    StopAlertRunner(missing, 5s);
    ASSERT_EQ(missingNotes.Take().size(), 1u);
    EXPECT_EQ(missingNotes.Take()[0].rfind("Alert command zelmot-no-such-command-here --x could not be started: ", 0),
              0u)
        << missingNotes.Take()[0];
}

TEST(AlertRunner, AFullQueueDropsAndAStopKillsTheCommandRunning) {
    Notes notes;
    AlertRunner runner;
    StartAlertRunner({{ZELMOT_ALERT_PROBE_EXE, "hang"}, 60s, 2, notes.Sink()}, runner);
    QueueAlert(runner, "{}");
    ASSERT_TRUE(WaitFor([&] { return AlertStatusOf(runner).Run == 1; }, 20s));  // the first one runs
    EXPECT_TRUE(QueueAlert(runner, "{}"));
    EXPECT_TRUE(QueueAlert(runner, "{}"));
    EXPECT_FALSE(QueueAlert(runner, "{}"));
    EXPECT_EQ(AlertStatusOf(runner).Dropped, 1u);
    const auto start = std::chrono::steady_clock::now();
    StopAlertRunner(runner, 0ms);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(runner.State, nullptr);
    const auto lines = notes.Take();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Alert dropped: 2 alerts wait already");
    EXPECT_EQ(lines[1], "2 alerts not run: the watcher is stopping");
    EXPECT_EQ(lines[2],
              "Alert command " + std::string(ZELMOT_ALERT_PROBE_EXE) + " hang was killed: the watcher is stopping");
}

}  // namespace
}  // namespace zelmot
