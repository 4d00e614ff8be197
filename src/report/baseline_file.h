// Reading a baseline: a JSON report that zelmot-stats wrote (Format=json),
// of the schema this version writes. Everything is checked before any
// capture is read, so that a wrong baseline fails at once with one line.
#pragma once

#include <string>

#include "common/outcome.h"
#include "report/report_document.h"

namespace zelmot {

// Reads and checks the report at path; the message names the file and what
// is wrong with it.
Outcome ReadBaseline(const std::string& path, ReportDocument& baseline);

}  // namespace zelmot
