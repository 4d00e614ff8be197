// The Slave_Diag service (DSAP 60): what a slave reports in its six standard
// bytes and its extended diagnosis blocks, and what the master does next.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

void RequestDiagnosis(TrafficState& traffic, const MasterState& master, SlaveState& slave);

}  // namespace zelmot
