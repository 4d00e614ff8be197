// zelmot2pcap's entry point: usage, the command line, one export run, and
// the result line with the exit status. Every message goes to the console
// stream given (standard error), since standard output may carry the file.
#pragma once

#include <cstdio>

namespace zelmot {

// The progress line goes to progress when it is not null.
int PcapToolMain(int argc, const char* const* argv, std::FILE* console, std::FILE* progress);

}  // namespace zelmot
