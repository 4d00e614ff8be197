// Putting frames on the simulated bus: each frame gets the idle gap that its
// place in the conversation calls for (a master's idle time, a slave's
// answer delay, the slot time after a missing answer), may be hit by a
// receive error, and a request is repeated when its answer does not come.
#pragma once

#include "gen_traffic.h"

namespace zelmot {

enum class MasterGap : std::uint8_t {
    Request,  // ordinary idle time before a request; takes spare time lightly
    Token,    // idle time before passing the token; takes most spare time
};

// Appends an empty frame sent by the token holder.
GenFrame& PushMasterFrame(TrafficState& traffic, MasterGap kind);
// Appends an empty frame answering the request before it after responseBits.
GenFrame& PushAnswer(TrafficState& traffic, std::uint32_t responseBits);
// Gives the built frame its receive error, if it gets one; true when clean.
bool FinishFrame(TrafficState& traffic, GenFrame& frame);

// Sends request and, unless the answer times out, answer (nullptr: the
// station never answers), retrying up to retries times; true when a clean
// answer came. traffic.LastTransaction tells which frames it made.
bool Transact(TrafficState& traffic, const GenFrame& request, const GenFrame* answer,
              std::uint32_t responseBits, unsigned retries);

}  // namespace zelmot
