// When the DP fault scenarios happen and to whom: the seed picks a slave of
// its own for each slave scenario and a master with slaves for CLEAR, and a
// window of the run for each; at every poll the window decides whether the
// scenario's turn has come.
#pragma once

#include "gen_options.h"
#include "gen_traffic.h"

namespace zelmot {

// Chooses slaves, masters and windows; the slaves and masters are already
// set up.
void PlanScenarios(TrafficState& traffic, const GenOptions& options);

// A window of the run's frames: beginning between 15 and 40 per cent of
// them, lasting 15 to 30 per cent.
ScenarioWindow PlanWindow(Rng& rng, std::uint64_t frames);

// A module a master may wrongly expect of a slave (its identifier).
std::uint8_t ChooseExtraModule(Rng& rng);

// A fault on one channel of one of the slave's modules, shown in its
// diagnosis by an identifier-related and a channel-related block.
void ChooseChannelFault(Rng& rng, SlaveState& slave);

// Before the master polls the slave: begins or ends the slave's scenario.
void AdvanceSlaveScenario(TrafficState& traffic, const MasterState& master, SlaveState& slave);

// At the end of the master's token hold: its command changes to CLEAR and
// back to operate.
void AdvanceMasterControl(TrafficState& traffic, MasterState& master);

}  // namespace zelmot
