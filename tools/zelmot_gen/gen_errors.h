// Receive errors as a capture device reports them: the frame keeps its shape
// (start delimiter and length), but a byte, its check sum or its end
// delimiter is damaged and the status byte says so.
#pragma once

#include "gen_frames.h"
#include "gen_random.h"

namespace zelmot {


// Damages the frame in one of the ways above and sets its status bits.
void ApplyReceiveError(GenFrame& frame, Rng& rng);

// Damages the frame so that its addresses and FC stay readable: a wrong
// check sum or end delimiter, or a stop bit error where it has neither.
void DamageKeepingAddresses(GenFrame& frame, Rng& rng);

}  // namespace zelmot
