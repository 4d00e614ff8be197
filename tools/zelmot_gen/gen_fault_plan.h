// Who carries the fault scenarios of --fault and when: the seed picks, for
// each scenario, slaves of its own (beside those of the DP scenarios), a
// master with slaves, or the segment, and a window of the run, and sets up
// what the scenario changes for the whole run (a watchdog, a configuration
// the master expects, DP-V1 mode, slow answers, the recorder artefacts and
// damaged frames of the segment).
#pragma once

#include "common/outcome.h"
#include "gen_options.h"
#include "gen_traffic.h"

namespace zelmot {

// After PlanScenarios; an error when the plant has no room for a scenario
// (common_cause wants neighbours in one master's poll list).
Outcome PlanFaults(TrafficState& traffic, const GenOptions& options);

// Per cent of its watchdog that a watchdog scenario holds the slave's
// request interval to.
std::uint32_t HoldPercent(FaultKind kind);

}  // namespace zelmot
