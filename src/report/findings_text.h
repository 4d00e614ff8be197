// The text report's "Findings" section: the verdict line, then each
// finding with its severity, time and title, its cause and what to check
// indented under it, and the frames that show it.
#pragma once

#include <string>
#include <vector>

#include "analysis/findings.h"

namespace zelmot {

std::string FindingsSection(const std::vector<Finding>& findings, const BusStats& stats, const GsdMatches& matches);

}  // namespace zelmot
