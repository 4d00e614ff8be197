// The programs' few calls into the platform beyond the standard library,
// kept in one file: whether a stream is a terminal (the progress line is
// shown only there), binary standard output, closed pipes, and the number of
// cores the process may run on. zelmot2txt makes only the last of them.
#pragma once

#include <cstdio>

namespace zelmot {

bool IsTerminal(std::FILE* stream);

// Standard output carries bytes untranslated (no line-end conversion).
void PrepareBinaryStdout();

// A reader that goes away (a closed pipe) makes writes fail with an error
// the run reports, instead of ending the process silently.
void ReportBrokenPipeAsWriteError();

// The processors this process may run on (its CPU affinity, so that a run
// pinned to one core sees 1); at least 1.
unsigned UsableCoreCount();

}  // namespace zelmot
