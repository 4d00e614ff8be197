// The rules of the findings on the bus and the recorder: the capture's
// artefacts, damaged frames on one station or spread over the segment,
// retries, slow answers, a silent bus, frames of no known kind.
#pragma once

#include <vector>

#include "analysis/findings.h"

namespace zelmot {

void FindBusFindings(const BusStats& stats, const GsdMatches& matches, std::vector<Finding>& findings);

}  // namespace zelmot
