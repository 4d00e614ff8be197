// Findings=yes: the findings of the capture (zelmot-stats' rules, in its
// words) as comments on their evidence frames, so that a reader of the
// pcapng file finds them with the display filter frame.comment. A first pass
// over the capture collects them; the export then adds each frame's
// comments to its packet.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/outcome.h"
#include "run/command_line.h"

namespace zelmot {

// (reference number, comment), sorted by reference number.
struct FindingComments {
    std::vector<std::pair<std::uint32_t, std::string>> ByFrame;
};

// Reads the run's capture files once and collects the comments; success,
// or the reader's message.
Outcome CollectFindingComments(const RunSettings& settings, FindingComments& comments);

// The comments of one frame: [first, last) of ByFrame.
std::pair<std::size_t, std::size_t> CommentsOf(const FindingComments& comments, std::uint32_t reference);

}  // namespace zelmot
