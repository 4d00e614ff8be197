// The tool's entry point: banner, usage, option help, name checks, one
// conversion run, and the result line with the exit status.
#pragma once

#include <cstdio>

#include "run/command_line.h"  // the exit statuses

namespace zelmot {

// Runs the tool for argv[1..argc-1], writing console text to console.
// lineWorkers is ConversionSettings.LineWorkers: 0 (from the cores) for the
// program, a fixed count for a test.
int ToolMain(int argc, const char* const* argv, std::FILE* console, unsigned lineWorkers = 0);

}  // namespace zelmot
