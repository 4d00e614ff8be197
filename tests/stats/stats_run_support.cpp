// Runs the built zelmot-stats, in the scratch folder, through the test
// support's process runner, with its two output streams kept apart.
#include "stats_run_support.h"

#include "support/process_runner.h"

namespace zelmot::test {

StatsRun RunStats(const std::vector<std::string>& args, const TempDir& scratch) {
    ProcessRun process = RunProcess(ZELMOT_STATS_EXE, args, ProcessOptions{scratch.path().string(), false});
    StatsRun run;
    run.Status = process.Started ? process.ExitCode : -1;
    run.Out = FromTextMode(std::move(process.Output));
    run.Err = FromTextMode(std::move(process.Errors));
    if (!process.Trouble.empty()) run.Err += "[" + process.Trouble + "]";
    return run;
}

}  // namespace zelmot::test
