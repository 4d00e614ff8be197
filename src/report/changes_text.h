// The text report's "Changes since the baseline" section: what the baseline
// and this capture were (name, first frame, span), then one line per change,
// worse ones first.
#pragma once

#include <string>
#include <vector>

#include "report/report_changes.h"

namespace zelmot {

std::string ChangesSection(const ReportDocument& baseline, const ReportDocument& now, const std::vector<Change>& changes);

// "commissioning1200, first frame 08:00:00.000, 2 h 10 min" of a report.
std::string CaptureWords(const ReportDocument& document);

}  // namespace zelmot
