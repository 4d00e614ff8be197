// The whole tool, in-process, on one conversion input: the capture bytes
// become one or two per-minute files in the sandbox, the option file is
// written beside them, and ToolMain runs with its console in memory. What
// must hold after every run is checked, and an input with kRunTwice runs a
// second time, which must print and write the same; a breach aborts, which
// the fuzzer reports like a crash.
#pragma once

#include "fuzz_input.h"

namespace zelmot::fuzz {

void RunConversionInput(const ConversionInput& input);

}  // namespace zelmot::fuzz
