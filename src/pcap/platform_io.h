// The export's only calls into the platform beyond the standard library.
#pragma once

namespace zelmot {

// Standard output carries bytes untranslated (no line-end conversion).
void PrepareBinaryStdout();

// A reader that goes away (a closed pipe) makes writes fail with an error
// the run reports, instead of ending the process silently.
void ReportBrokenPipeAsWriteError();

}  // namespace zelmot
