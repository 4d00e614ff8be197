// Terminal, binary standard output and closed pipes, for POSIX and Windows.
#include "run/platform_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>

#include <csignal>
#endif

namespace zelmot {

#ifdef _WIN32
bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }
void PrepareBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }
void ReportBrokenPipeAsWriteError() {}  // a failed write already reports it
#else
bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }
void PrepareBinaryStdout() {}
void ReportBrokenPipeAsWriteError() { std::signal(SIGPIPE, SIG_IGN); }
#endif

}  // namespace zelmot
