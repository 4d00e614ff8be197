// The text report: aligned tables, one section per group of figures.
#pragma once

#include <string>
#include <vector>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "report/report_changes.h"

namespace zelmot {

// A comparison with a baseline (Baseline=): both reports and their changes.
struct ReportChanges {
    const ReportDocument* Baseline = nullptr;
    const ReportDocument* Now = nullptr;
    const std::vector<Change>* List = nullptr;
};

// matches: the slaves' device files; without them the report names no
// device. changes: the section after the findings, when given.
std::string TextReport(const BusStats& stats, const GsdMatches& matches, const ReportChanges* changes = nullptr);
std::string TextReport(const BusStats& stats);

}  // namespace zelmot
