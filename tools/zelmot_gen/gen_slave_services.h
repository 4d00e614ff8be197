// What a master says to one of its slaves during its token hold: the
// start-up sequence (diagnosis, parameters, configuration check, diagnosis)
// and then cyclic data exchange, with a diagnosis whenever the slave asks
// and, in the slave's scenario, a DP-V1 service or a service it lacks
// after the exchange.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

void PollSlave(TrafficState& traffic, const MasterState& master, SlaveState& slave);

}  // namespace zelmot
