// The alert runner: the queue, the thread that runs one command at a time,
// the notes of every failure, and the stop that ends a command still
// running.
#include "watch/alert_command.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "watch/alert_process.h"

namespace zelmot {

struct AlertRunnerState {
    AlertSettings Settings;
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<std::string> Queue;
    bool Running = false;          // a command runs now
    bool Stopping = false;         // no more commands start
    std::atomic<bool> Cancel{false};  // the command running is to be killed
    std::uint64_t Run = 0;
    std::uint64_t Failed = 0;
    std::uint64_t Dropped = 0;
    std::thread Worker;
};

namespace {

std::string CommandName(const AlertSettings& settings) {
    std::string line;
    for (const std::string& word : settings.Command) line += (line.empty() ? "" : " ") + word;
    return line;
}

void Note(const AlertRunnerState& state, const std::string& text) {
    if (state.Settings.Log) state.Settings.Log(text);
}

// What went wrong with one run, or "" when it ended with status 0.
std::string FailureOf(const AlertProcessResult& result, const AlertSettings& settings) {
    if (!result.Started) return "could not be started: " + result.Error;
    if (result.Killed) {
        auto ms = settings.Limit.count();
        return ms % 1000 == 0 ? "was killed after " + std::to_string(ms / 1000) + " s"
                              : "was killed after " + std::to_string(ms) + " ms";
    }
    if (result.ExitCode != 0)
        return result.ExitCode < 0 ? "ended by a signal" : "failed: exit status " + std::to_string(result.ExitCode);
    return {};
}

void Work(AlertRunnerState& state) {
    std::unique_lock<std::mutex> lock(state.Lock);
    for (;;) {
        state.Changed.wait(lock, [&] { return state.Stopping || !state.Queue.empty(); });
        if (state.Stopping || state.Queue.empty()) break;
        std::string json = std::move(state.Queue.front());
        state.Queue.pop_front();
        state.Running = true;
        ++state.Run;
        lock.unlock();
        AlertProcessResult result = RunAlertProcess(state.Settings.Command, json, state.Settings.Limit, &state.Cancel);
        std::string failure = FailureOf(result, state.Settings);
        if (result.Killed && state.Cancel) failure = "was killed: the watcher is stopping";
        if (!failure.empty()) Note(state, "Alert command " + CommandName(state.Settings) + " " + failure);
        lock.lock();
        state.Running = false;
        if (!failure.empty()) ++state.Failed;
        state.Changed.notify_all();
    }
}

}  // namespace

AlertRunner::AlertRunner() = default;
AlertRunner::AlertRunner(AlertRunner&&) noexcept = default;
AlertRunner& AlertRunner::operator=(AlertRunner&& other) noexcept {
    if (this != &other) {
        StopAlertRunner(*this, std::chrono::milliseconds(0));
        State = std::move(other.State);
    }
    return *this;
}
AlertRunner::~AlertRunner() { StopAlertRunner(*this, std::chrono::milliseconds(0)); }

void StartAlertRunner(AlertSettings settings, AlertRunner& runner) {
    StopAlertRunner(runner, std::chrono::milliseconds(0));
    runner.State = std::make_unique<AlertRunnerState>();
    runner.State->Settings = std::move(settings);
    AlertRunnerState& state = *runner.State;
    state.Worker = std::thread([&state] { Work(state); });
}

bool QueueAlert(AlertRunner& runner, std::string json) {
    if (!runner.State) return false;
    AlertRunnerState& state = *runner.State;
    std::lock_guard<std::mutex> lock(state.Lock);
    if (state.Stopping || state.Queue.size() >= state.Settings.QueueLimit) {
        ++state.Dropped;
        Note(state, "Alert dropped: " + std::to_string(state.Queue.size()) + " alerts wait already");
        return false;
    }
    state.Queue.push_back(std::move(json));
    state.Changed.notify_all();
    return true;
}

AlertStatus AlertStatusOf(const AlertRunner& runner) {
    AlertStatus status;
    if (!runner.State) return status;
    AlertRunnerState& state = *runner.State;
    std::lock_guard<std::mutex> lock(state.Lock);
    status.Queued = state.Queue.size();
    status.Run = state.Run;
    status.Failed = state.Failed;
    status.Dropped = state.Dropped;
    return status;
}

void StopAlertRunner(AlertRunner& runner, std::chrono::milliseconds drainLimit) {
    if (!runner.State) return;
    AlertRunnerState& state = *runner.State;
    {
        std::unique_lock<std::mutex> lock(state.Lock);
        state.Changed.wait_for(lock, drainLimit, [&] { return state.Queue.empty() && !state.Running; });
        if (!state.Queue.empty())
            Note(state, std::to_string(state.Queue.size()) + " alerts not run: the watcher is stopping");
        state.Dropped += state.Queue.size();
        state.Queue.clear();
        state.Stopping = true;
        state.Cancel = true;
        state.Changed.notify_all();
    }
    state.Worker.join();
    runner.State.reset();
}

}  // namespace zelmot
