// The findings in the report document: "verdict" (how many faults,
// warnings and notes) and "findings", one object each with its kind,
// severity, station (null for the segment), first and last time, count,
// title, evidence frames, cause and check.
#pragma once

#include <vector>

#include "analysis/findings.h"
#include "report/report_document.h"

namespace zelmot {

ReportDocument VerdictJson(const Verdict& verdict);
ReportDocument FindingsJson(const std::vector<Finding>& findings, const BusStats& stats, const GsdMatches& matches);

}  // namespace zelmot
