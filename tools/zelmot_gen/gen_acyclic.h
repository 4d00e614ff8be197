// Services besides the cyclic ones: DP-V1 class 1 reads and alarm
// acknowledgements (the request, then polls with the same request until
// the reply is ready), and a request for a service the slave does not
// offer, answered RS.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

// Sets up a read of the slave; a refused read gets an invalid-index answer.
void QueueRead(TrafficState& traffic, SlaveState& slave, bool refused);
// Sets up the acknowledgement of the slave's pending alarm.
void QueueAlarmAck(SlaveState& slave);
// One request or poll of the slave's job; the last one records the reply.
void AcyclicStep(TrafficState& traffic, const MasterState& master, SlaveState& slave);
// Asks for the service at slave.Faults.AskDsap; the slave answers RS.
void AskMissingService(TrafficState& traffic, const MasterState& master, SlaveState& slave);

}  // namespace zelmot
