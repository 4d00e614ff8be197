// What a finding cites: frames by their reference number (as zelmot2txt
// numbers them) and time, and of a thing that happens again and again how
// often, when first and last, and its first frames -- all in fixed room, so
// that any length of capture takes the same memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelmot {

struct FrameRef {
    std::uint32_t Reference = 0;  // 0: no frame
    std::int64_t Ns = 0;          // its AbsTime
};

constexpr std::size_t kEvidenceKept = 10;

// The first kEvidenceKept frames of something.
struct Evidence {
    std::uint8_t Kept = 0;
    std::array<FrameRef, kEvidenceKept> Frames{};
};

inline void AddEvidence(Evidence& evidence, FrameRef frame) {
    if (evidence.Kept < kEvidenceKept) evidence.Frames[evidence.Kept++] = frame;
}

struct Occurrences {
    std::uint64_t Count = 0;
    std::int64_t FirstNs = 0;  // valid when Count > 0
    std::int64_t LastNs = 0;
    Evidence First;
};

// One more occurrence at frame (its evidence: the frame).
inline void NoteOccurrence(Occurrences& occurrences, FrameRef frame) {
    if (occurrences.Count == 0 || frame.Ns < occurrences.FirstNs) occurrences.FirstNs = frame.Ns;
    if (occurrences.Count == 0 || frame.Ns > occurrences.LastNs) occurrences.LastNs = frame.Ns;
    ++occurrences.Count;
    AddEvidence(occurrences.First, frame);
}

}  // namespace zelmot
