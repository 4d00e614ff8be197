// What a master says to one of its slaves during its token hold: the
// start-up sequence (diagnosis, parameters, configuration check, diagnosis)
// and then cyclic data exchange, with a diagnosis whenever the slave asks.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

void PollSlave(TrafficState& traffic, const MasterState& master, SlaveState& slave);

}  // namespace zelmot
