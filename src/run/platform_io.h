// The companion programs' few calls into the platform beyond the standard
// library, kept in one file: whether a stream is a terminal (the progress
// line is shown only there), binary standard output, and closed pipes.
// zelmot2txt makes none of them.
#pragma once

#include <cstdio>

namespace zelmot {

bool IsTerminal(std::FILE* stream);

// Standard output carries bytes untranslated (no line-end conversion).
void PrepareBinaryStdout();

// A reader that goes away (a closed pipe) makes writes fail with an error
// the run reports, instead of ending the process silently.
void ReportBrokenPipeAsWriteError();

}  // namespace zelmot
