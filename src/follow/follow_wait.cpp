// Waiting for the recorder: inotify and ppoll on Linux, a plain sleep of at
// most kPollInterval elsewhere; the stop flag set by the signal handler.
#include "follow/follow_wait.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>

#ifdef __linux__
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif

namespace zelmot {
namespace {

std::atomic<bool> stopAsked{false};

#ifdef __linux__
sigset_t waitMask;  // the mask of the wait: the stop signals let in
#endif

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD) {
    stopAsked = true;
    return TRUE;
}
#else
extern "C" void OnStopSignal(int) { stopAsked = true; }
#endif

}  // namespace

void InstallStopSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#ifdef __linux__
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
#endif
#endif
}

bool StopRequested() { return stopAsked.load(); }
void RequestStop() { stopAsked = true; }

void StartFolderWatch(FolderWatch& watch, const std::string& folder) {
    StopFolderWatch(watch);
#ifdef __linux__
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return;
    const std::uint32_t events = IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_ATTRIB;
    if (inotify_add_watch(fd, folder.c_str(), events) < 0) {
        close(fd);
        return;
    }
    watch.Fd = fd;
#else
    (void)folder;
#endif
}

void StopFolderWatch(FolderWatch& watch) {
#ifdef __linux__
    if (watch.Fd >= 0) close(watch.Fd);
#endif
    watch.Fd = -1;
}

void WaitForChange(FolderWatch& watch, std::chrono::milliseconds limit) {
    if (StopRequested()) return;
#ifdef __linux__
    if (watch.Fd >= 0) {
        pollfd entry{watch.Fd, POLLIN, 0};
        const auto ms = std::max<long long>(0, limit.count());
        timespec timeout{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1'000'000};
        if (ppoll(&entry, 1, &timeout, &waitMask) > 0) {
            alignas(inotify_event) char drained[4096];
            while (read(watch.Fd, drained, sizeof drained) > 0) {
            }
        }
        return;
    }
    // Polling: the stop signals are let in for the sleep.
    sigset_t saved;
    pthread_sigmask(SIG_SETMASK, &waitMask, &saved);
    std::this_thread::sleep_for(std::min(limit, kPollInterval));
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
#else
    (void)watch;
    std::this_thread::sleep_for(std::min(limit, kPollInterval));
#endif
}

}  // namespace zelmot
