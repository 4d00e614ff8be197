// The frames the record's fault lines name: a frame is booked by its number
// in the run when it is made, and gets its time stamp and bytes once its
// minute has been placed. An occurrence list books the first ten frames of
// something that happens again and again, and its latest, and counts them
// all, in eleven entries at most, so the book stays small.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelmot {

struct MinuteFrames;

constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);
constexpr std::size_t kEvidenceFrames = 10;

struct BookEntry {
    std::uint64_t Number = 0;  // in the run, from 0
    std::uint64_t Stamp = 0;   // tick time stamp, once resolved
    std::vector<std::uint8_t> Bytes;
    bool Resolved = false;
};

struct FrameBook {
    std::vector<BookEntry> Entries;
    std::vector<std::size_t> Waiting;  // entries not yet resolved
};

// Books frame number; the entry's index.
std::size_t BookFrame(FrameBook& book, std::uint64_t number);

// An entry for a frame of the minute at hand, resolved at once.
std::size_t BookPlacedFrame(FrameBook& book, std::uint64_t number, std::uint64_t stamp, const std::uint8_t* bytes,
                            std::size_t length);

// Resolves the waiting entries whose frames lie in the minute just placed,
// whose first frame has the number first.
void ResolveBook(FrameBook& book, const MinuteFrames& minute, std::uint64_t first);

struct Occurrences {
    std::uint64_t Count = 0;
    std::array<std::size_t, kEvidenceFrames> First{};  // the first min(Count, 10)
    std::size_t Last = kNoEntry;                       // the latest
};

// Counts one more occurrence at frame number.
void AddOccurrence(FrameBook& book, Occurrences& occurrences, std::uint64_t number);
// The same for a frame of the minute at hand.
void AddPlacedOccurrence(FrameBook& book, Occurrences& occurrences, std::uint64_t number, std::uint64_t stamp,
                         const std::uint8_t* bytes, std::size_t length);

inline std::size_t FirstEntry(const Occurrences& occurrences) {
    return occurrences.Count == 0 ? kNoEntry : occurrences.First[0];
}

}  // namespace zelmot
