// The plant changes of --change: the after half of a before/after pair, the
// plant of the same seed with one slave changed (another ident, a module,
// a user parameter, its watchdog, gone, errors on its answers, slower
// answers). Every change leaves the plant's own draws as they were, so the
// frames of the other stations stay the same bytes: a gone slave is polled
// in the shadow and its frames thrown away, and the retries that its
// damaged answers cause draw from a side stream.
#pragma once

#include "common/outcome.h"
#include "gen_options.h"
#include "gen_traffic.h"

namespace zelmot {

// Applies the changes to the plant just set up; an error for a change the
// slave cannot take (errors on a slave whose answers carry no address).
Outcome ApplyChanges(TrafficState& traffic, const GenOptions& options);

// The poll of a slave gone from the plant: made, so that its draws are
// drawn, and thrown away.
void PollInShadow(TrafficState& traffic, const MasterState& master, SlaveState& slave);

// After an exchange of a changed slave: books the first frame that shows
// each of its changes.
void NoteChangeShown(TrafficState& traffic, const SlaveState& slave);

}  // namespace zelmot
