// Test support: the process runner on POSIX systems (fork and exec, the
// output collected in temporary files so that a chatty program never blocks).
#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/process_runner.h"

namespace zelmot::test {
namespace {

namespace fs = std::filesystem;

fs::path CollectFile(const char* what) {
    static std::atomic<unsigned> counter{0};
    return fs::temp_directory_path() / ("zelmot-run-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(counter++) + "." + what);
}

// In the child: only calls that are safe after fork, then exec. A failure
// before the program runs is reported as its errno on failFd, which closes
// unwritten when exec succeeds.
[[noreturn]] void StartChild(const std::vector<char*>& argv, const ProcessOptions& options, int outFd,
                             int errFd, int failFd) {
    int nullFd = ::open("/dev/null", O_RDONLY);
    if (nullFd >= 0 && ::dup2(nullFd, 0) >= 0 && ::dup2(outFd, 1) >= 0 && ::dup2(errFd, 2) >= 0 &&
        (options.WorkDir.empty() || ::chdir(options.WorkDir.c_str()) == 0))
        ::execvp(argv[0], argv.data());
    const int failed = errno;
    [[maybe_unused]] ssize_t ignored = ::write(failFd, &failed, sizeof failed);
    ::_exit(127);
}

}  // namespace

ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& args,
                      const ProcessOptions& options) {
    ProcessRun run;
    const fs::path outPath = CollectFile("out");
    const fs::path errPath = CollectFile("err");
    int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int errFd = options.MergeErrors ? outFd : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int failPipe[2] = {-1, -1};
    bool ready = outFd >= 0 && errFd >= 0 && ::pipe2(failPipe, O_CLOEXEC) == 0;
    pid_t child = ready ? ::fork() : -1;
    if (child == 0) StartChild(argv, options, outFd, errFd, failPipe[1]);
    if (outFd >= 0) ::close(outFd);
    if (errFd >= 0 && errFd != outFd) ::close(errFd);
    if (failPipe[1] >= 0) ::close(failPipe[1]);
    if (child > 0) {
        int failed = 0;
        ssize_t got;
        while ((got = ::read(failPipe[0], &failed, sizeof failed)) < 0 && errno == EINTR) {
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        run.Started = got == 0;
        run.ExitCode = run.Started && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (!run.Started) {
            run.Trouble = "could not start " + program + ": " + std::strerror(got > 0 ? failed : errno);
        } else if (WIFSIGNALED(status)) {
            run.Trouble = "ended by signal " + std::to_string(WTERMSIG(status));
        }
    } else {
        run.Trouble = "could not start " + program + ": " + std::strerror(errno);
    }
    if (failPipe[0] >= 0) ::close(failPipe[0]);
    run.Output = TakeCollectedFile(outPath);
    if (!options.MergeErrors) run.Errors = TakeCollectedFile(errPath);
    return run;
}

bool ProgramAvailable(const std::string& program) {
    auto runnable = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
    };
    if (program.empty()) return false;
    if (program.find('/') != std::string::npos) return runnable(program);
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t from = 0;
    for (;;) {
        std::size_t end = folders.find(':', from);
        std::string folder = folders.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (runnable((folder.empty() ? std::string(".") : folder) + "/" + program)) return true;
        if (end == std::string::npos) return false;
        from = end + 1;
    }
}

}  // namespace zelmot::test

#endif
