// The follower's sleep: until something in the capture's folder changes
// (inotify on Linux; elsewhere a look every kPollInterval), the time given
// passes, or SIGINT/SIGTERM (Ctrl+C, Ctrl+Break on Windows) asks the
// program to stop. Idle, it costs nothing but that wake-up.
//
// InstallStopSignals comes first, before any thread starts: on POSIX it
// blocks the two signals for every thread, and the wait alone lets them in
// (ppoll), so that they reach the waiting thread and no other.
#pragma once

#include <chrono>
#include <string>

namespace zelmot {

inline constexpr std::chrono::milliseconds kPollInterval{250};

void InstallStopSignals();

// Whether a stop was asked for (also by RequestStop).
bool StopRequested();
void RequestStop();

struct FolderWatch {
    int Fd = -1;  // inotify's, or -1: polling
};

// Watches the folder; a folder that cannot be watched is polled.
void StartFolderWatch(FolderWatch& watch, const std::string& folder);
void StopFolderWatch(FolderWatch& watch);

// Waits at most limit (at most kPollInterval when polling) for a change.
void WaitForChange(FolderWatch& watch, std::chrono::milliseconds limit);

}  // namespace zelmot
