// The tool's entry point: banner, usage, option help, name checks, one
// conversion run, and the result line with the exit status.
#pragma once

#include <cstdio>

#include "run/command_line.h"  // the exit statuses

namespace zelmot {

// Runs the tool for argv[1..argc-1], writing console text to console.
int ToolMain(int argc, const char* const* argv, std::FILE* console);

}  // namespace zelmot
