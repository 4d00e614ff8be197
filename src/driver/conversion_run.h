// One conversion run: option file, output text, the capture files' frames
// numbered, timed, filtered and written line by line.
#pragma once

#include <cstdio>

#include "common/outcome.h"
#include "driver/command_line.h"

namespace zelmot {

// Runs the whole conversion; progress lines go to console. Success, or the
// message of the first fault. Both files are closed either way.
Outcome RunConversion(const RunSettings& settings, std::FILE* console);

}  // namespace zelmot
