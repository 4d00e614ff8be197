// One line of the record's fault part, and the list the rules fill: the
// frames it names (the first is its own), its count and figure words, and
// what it says of them; the list writes them sorted by their first frame.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "capture/frame_timing.h"
#include "common/text_out.h"
#include "gen_book.h"
#include "gen_options.h"
#include "gen_traffic.h"

namespace zelmot {

struct FaultLine {
    const char* Event = "fault";  // fault, near_miss or change
    std::string Rule;             // the findings kind; for a change, its kind
    std::string Scenario;         // what put it in
    std::uint8_t Master = 255;
    std::uint8_t Station = 255;
    std::vector<const BookEntry*> Evidence;  // resolved frames, the first ten; the first is the line's
    const BookEntry* Last = nullptr;
    std::uint64_t Count = 0;
    std::string Words;            // the rule's own figures
};

struct FaultLines {
    BaudTiming Baud;
    std::vector<std::pair<std::uint64_t, std::string>> Lines;  // by first frame number
};

// AbsTime of a resolved frame, as a capture reader gives it.
std::int64_t FrameNs(const FaultLines& lines, const BookEntry& frame);

// The resolved frames of the occurrences: the first ten, and the latest.
std::vector<const BookEntry*> EvidenceOf(const FrameBook& book, const Occurrences& occurrences);
const BookEntry* LatestOf(const FrameBook& book, const Occurrences& occurrences);

// A resolved entry, or null.
const BookEntry* Resolved(const FrameBook& book, std::size_t entry);

// Adds the line; a line without a frame to name is left out.
void AddLine(FaultLines& lines, const FaultLine& line);

// Adds the words key_ns= and key_ref= of a frame.
void AddFrameWords(const FaultLines& lines, std::string& words, const char* key, const BookEntry& frame);

// What put in what a station shows: the fault or DP scenario or the plant
// change it carries, else what the segment has (a segment scenario, a
// receive error, timeout, diagnosis or damaged-record rate), else "none".
std::string ScenarioOfStation(const TrafficState& traffic, const GenOptions& options, std::uint8_t station);
std::string ScenarioOfSegment(const GenOptions& options);

}  // namespace zelmot
