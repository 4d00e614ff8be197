// One run of the alert command: started without a shell from its words,
// the input on its standard input, its output on the watcher's standard
// error, killed (with every process it started) when it outlives its time
// or the caller cancels. POSIX (posix_spawnp, its own process group,
// alert_process_posix.cpp) and Windows (CreateProcess in a job object,
// alert_process_windows.cpp).
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace zelmot {

struct AlertProcessResult {
    bool Started = false;
    bool Killed = false;     // outlived its time or was cancelled
    int ExitCode = -1;       // when it ended by itself; -1 for a signal
    std::string Error;       // why it could not be started
};

// Runs command (words[0] looked up on the search path) with input on its
// standard input and waits for it, at most limit; cancel, when set, ends
// the wait early and kills it too.
AlertProcessResult RunAlertProcess(const std::vector<std::string>& command, std::string_view input,
                                   std::chrono::milliseconds limit, const std::atomic<bool>* cancel);

}  // namespace zelmot
