// The alert command on POSIX systems: posix_spawnp with the words as they
// are (no shell), in a process group of its own so that a kill reaches
// whatever it started, standard input from a pipe written without
// blocking, standard output onto the watcher's standard error.
#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "watch/alert_process.h"

extern char** environ;

namespace zelmot {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollStep = std::chrono::milliseconds(10);

bool TimeIsUp(Clock::time_point deadline, const std::atomic<bool>* cancel) {
    return Clock::now() >= deadline || (cancel != nullptr && cancel->load());
}

// Writes input into the pipe until it is all in, the command closed its
// end, or the time is up. A write to a closed pipe must not end the
// watcher: SIGPIPE is blocked on this thread meanwhile, and one it raised
// is taken before the mask is restored.
void FeedInput(int fd, std::string_view input, Clock::time_point deadline, const std::atomic<bool>* cancel) {
    sigset_t pipeSignal;
    sigset_t saved;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    std::size_t done = 0;
    while (done < input.size() && !TimeIsUp(deadline, cancel)) {
        ssize_t wrote = ::write(fd, input.data() + done, input.size() - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
        } else if (wrote < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, static_cast<int>(kPollStep.count()));
        } else {
            break;  // EPIPE: the command does not read its input
        }
    }
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE)) {
        const timespec now{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

}  // namespace

AlertProcessResult RunAlertProcess(const std::vector<std::string>& command, std::string_view input,
                                   std::chrono::milliseconds limit, const std::atomic<bool>* cancel) {
    AlertProcessResult result;
    if (command.empty()) {
        result.Error = "no command";
        return result;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.Error = std::string("no pipe: ") + std::strerror(errno);
        return result;
    }
    std::vector<char*> argv;
    std::vector<std::string> words = command;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeFds[0]);
    if (spawned != 0) {
        ::close(pipeFds[1]);
        result.Error = std::strerror(spawned);
        return result;
    }
    result.Started = true;
    ::fcntl(pipeFds[1], F_SETFL, ::fcntl(pipeFds[1], F_GETFL) | O_NONBLOCK);
    FeedInput(pipeFds[1], input, deadline, cancel);
    ::close(pipeFds[1]);

    int status = 0;
    for (;;) {
        pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) break;
        if (ended < 0 && errno != EINTR) break;
        if (TimeIsUp(deadline, cancel)) {
            ::kill(-child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            result.Killed = true;
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    if (!result.Killed && WIFEXITED(status)) result.ExitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace zelmot

#endif
