// The page's findings, at its top: the verdict (faults, warnings, notes)
// and one row per finding -- severity, when it began, the station (linked
// to its row in the station table), the title -- with the cause, what to
// check and the frames that show it under it. Every cell that shows a value
// of the JSON report names its key path (data-key).
#pragma once

#include "common/text_out.h"
#include "report/report_document.h"

namespace zelmot {

void PutFindingsSection(TextOut& out, const ReportDocument& document);

}  // namespace zelmot
