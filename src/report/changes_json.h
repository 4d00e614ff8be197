// The comparison in the report document: "baseline" (what the baseline was:
// its capture, first frame, span and schema) and "changes", one object each
// with its kind, station (null for the segment), figure, value before and
// after, whether it is worse (null: neither) and the line in words; both
// placed right after the findings.
#pragma once

#include <vector>

#include "report/report_changes.h"
#include "report/report_document.h"

namespace zelmot {

void AddChangesTo(ReportDocument& document, const ReportDocument& baseline, const std::vector<Change>& changes);

}  // namespace zelmot
