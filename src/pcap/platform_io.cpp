// Platform calls for binary standard output and closed pipes, kept in this
// one file.
#include "pcap/platform_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#else
#include <csignal>
#endif

namespace zelmot {

#ifdef _WIN32
void PrepareBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }
void ReportBrokenPipeAsWriteError() {}  // a failed write already reports it
#else
void PrepareBinaryStdout() {}
void ReportBrokenPipeAsWriteError() { std::signal(SIGPIPE, SIG_IGN); }
#endif

}  // namespace zelmot
