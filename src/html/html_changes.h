// The page's "Changes since the baseline": what the baseline and this
// capture were, then one row per change -- the station, the figure, its
// value before and after, and the change in words -- worse ones marked.
#pragma once

#include "common/text_out.h"
#include "report/text_report.h"

namespace zelmot {

void PutChangesSection(TextOut& out, const ReportChanges& changes);

}  // namespace zelmot
