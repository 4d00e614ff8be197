// zelmot-watch's alert command (OnAlert=): each alert -- a finding's JSON --
// waits in a bounded queue and is given, one at a time, to the command on
// its standard input, on a thread of the runner's own. A command that runs
// longer than its limit (30 s) is killed; one that fails, is killed or
// cannot be started is a note in the log and counted, never the watcher's
// end. QueueAlert never waits: with the queue full the alert is dropped,
// counted and noted.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelmot {

struct AlertSettings {
    std::vector<std::string> Command;  // its words (SplitCommandWords)
    std::chrono::milliseconds Limit = std::chrono::seconds(30);
    std::size_t QueueLimit = 100;
    // The runner's notes ("Alert command ... failed: exit status 3"); called
    // on the runner's thread.
    std::function<void(const std::string&)> Log;
};

struct AlertStatus {
    std::uint64_t Queued = 0;   // waiting, the one running not included
    std::uint64_t Run = 0;      // commands started or tried
    std::uint64_t Failed = 0;   // exit status not 0, killed or not started
    std::uint64_t Dropped = 0;  // dropped from a full queue
};

struct AlertRunnerState;

struct AlertRunner {
    std::unique_ptr<AlertRunnerState> State;
    AlertRunner();
    AlertRunner(AlertRunner&&) noexcept;
    AlertRunner& operator=(AlertRunner&&) noexcept;
    ~AlertRunner();  // stops at once (StopAlertRunner with no time)
};

void StartAlertRunner(AlertSettings settings, AlertRunner& runner);

// Queues one alert; false when the queue was full and it was dropped.
bool QueueAlert(AlertRunner& runner, std::string json);

AlertStatus AlertStatusOf(const AlertRunner& runner);

// Runs what waits for up to drainLimit, then kills the command still
// running, drops the rest (noted) and joins the thread.
void StopAlertRunner(AlertRunner& runner, std::chrono::milliseconds drainLimit);

}  // namespace zelmot
