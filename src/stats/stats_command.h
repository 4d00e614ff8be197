// The zelmot-stats command line: the capture name and the shared option
// words, the report format, one collection run and the report written.
#pragma once

#include <cstdio>

namespace zelmot {

// Runs the program for argv[1..argc-1]: the report to out, messages to err,
// progress lines to progress when not null. Exit status 0, 2 or 3.
int StatsMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err, std::FILE* progress);

}  // namespace zelmot
