// The tool's entry point: banner, usage, option help, name checks, one
// conversion run, and the result line with the exit status.
#pragma once

#include <cstdio>

namespace zelmot {

constexpr int kExitSuccess = 0;
constexpr int kExitHelp = 1;
constexpr int kExitFailure = 2;
constexpr int kExitUsage = 3;

// Runs the tool for argv[1..argc-1], writing console text to console.
int ToolMain(int argc, const char* const* argv, std::FILE* console);

}  // namespace zelmot
