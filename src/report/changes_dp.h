// What changed at one DP slave between a baseline report and this one: its
// ident, its state at the end, its entries and drop-outs per hour, its
// watchdog, min_Tsdr and group, its configuration module by module and its
// parameters one by one (with the GSD's names where the reports have them),
// its last diagnosis, and its device.
#pragma once

#include <string>
#include <vector>

#include "report/report_changes.h"

namespace zelmot {

// b and a: the station's objects in before and after.
void CompareDpSlave(const ReportDocument& before, const ReportDocument& after, const ReportDocument& b,
                    const ReportDocument& a, int address, const std::string& name, std::vector<Change>& changes);

}  // namespace zelmot
