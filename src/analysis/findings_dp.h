// The rules of the findings on the DP slaves and masters: drops (lost,
// common cause, restart, watchdog), a tight watchdog, slaves not ready,
// diagnoses in data exchange, refused requests, two devices on one address
// or a replaced one, and masters in CLEAR.
#pragma once

#include <vector>

#include "analysis/findings.h"

namespace zelmot {

void FindDpFindings(const BusStats& stats, std::vector<Finding>& findings);

}  // namespace zelmot
