// Runs the built zelmot-stats with its two output streams caught in files.
#include "stats_run_support.h"

#include <sys/wait.h>

#include <cstdlib>

namespace zelmot::test {
namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

StatsRun RunStats(const std::vector<std::string>& args, const TempDir& scratch) {
    std::string command = Quote(ZELMOT_STATS_EXE);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " </dev/null >" + Quote(scratch.Path("stdout.txt")) + " 2>" + Quote(scratch.Path("stderr.txt"));
    StatsRun run;
    int status = std::system(command.c_str());
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = ReadText(scratch.Path("stdout.txt"));
    run.Err = ReadText(scratch.Path("stderr.txt"));
    return run;
}

}  // namespace zelmot::test
