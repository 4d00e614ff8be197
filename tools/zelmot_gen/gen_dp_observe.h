// Noting in the DP log what a reader will find in an exchange the traffic
// has just made: called after each request-answer exchange of a master with
// one of its slaves, and after each Global_Control. Nothing is noted
// without --record, in a shadow poll, or past the frames a reader gets.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

// The requests of the last Transact (a damaged one is none to a reader),
// each unanswered but the answered last one.
void ObserveSlaveExchange(TrafficState& traffic, const MasterState& master, const SlaveState& slave);

void ObserveGlobalControl(TrafficState& traffic, const MasterState& master, std::uint64_t number, bool clean);

}  // namespace zelmot
