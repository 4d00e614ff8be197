// What a slave's fault scenario does at its polls: before the poll it
// begins, takes its next step or ends (a slave falls silent, answers RS,
// shows a restart, a diagnosis or another ident; the master is held up; an
// answer is left out or damaged); after each exchange it counts the slave's
// unanswered requests and lets it answer again once its drop shows.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

// Before the master polls the slave.
void AdvanceFault(TrafficState& traffic, const MasterState& master, SlaveState& slave);

// After each request-answer exchange of the master with the slave.
void AfterFaultExchange(TrafficState& traffic, const MasterState& master, SlaveState& slave);

}  // namespace zelmot
