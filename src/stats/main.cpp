// zelmot-stats: a bus health report from a run of capture files.
#include <cstdio>

#include "run/platform_io.h"
#include "stats/stats_command.h"

int main(int argc, char** argv) {
    std::FILE* progress = zelmot::IsTerminal(stderr) ? stderr : nullptr;
    return zelmot::StatsMain(argc, argv, stdout, stderr, progress);
}
