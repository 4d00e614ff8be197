// The record's fault lines, written after the event lines once the run has
// ended: for every findings rule, each finding a reader of the capture must
// make by the rule's definition (what the fault scenarios put in, and what
// follows from it, such as the retries that damaged answers cause), one
// near_miss line for each near-miss scenario with the figures that keep it
// short of its rule, and one change line for each plant change. Each names
// its first frame (time, bytes) and carries blank-separated words: rule=,
// scenario= (what put it in), count=, ref= (the frame's reference number as
// zelmot2txt counts them, from 1), last_ns=, last_ref=, refs= (the first ten
// frames, '/'-separated) and the rule's own figures. The lines are sorted by
// their first frame.
#pragma once

#include <cstdint>

#include "common/text_out.h"
#include "capture/frame_timing.h"
#include "gen_options.h"
#include "gen_tally.h"
#include "gen_traffic.h"

namespace zelmot {

// An address no station has: the segment as a whole, or no master.
constexpr std::uint8_t kNoStation = 255;

void WriteFaultLines(TextOut& out, const BaudTiming& baud, const TrafficState& traffic, const CaptureTally& tally,
                     const GenOptions& options);

}  // namespace zelmot
