// Terminal, binary standard output, closed pipes and the usable cores, for
// POSIX and Windows.
#include "run/platform_io.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <bit>
#else
#include <sched.h>
#include <unistd.h>

#include <csignal>
#endif

namespace zelmot {

#ifdef _WIN32
bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }
void PrepareBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }
void ReportBrokenPipeAsWriteError() {}  // a failed write already reports it
unsigned UsableCoreCount() {
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask) == 0) return 1;
    unsigned count = static_cast<unsigned>(std::popcount(static_cast<unsigned long long>(processMask)));
    return count == 0 ? 1 : count;
}
#else
bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }
void PrepareBinaryStdout() {}
void ReportBrokenPipeAsWriteError() { std::signal(SIGPIPE, SIG_IGN); }
unsigned UsableCoreCount() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) != 0) return 1;
    int count = CPU_COUNT(&cores);
    return count < 1 ? 1 : static_cast<unsigned>(count);
}
#endif

}  // namespace zelmot
