// The counts a reader makes of the capture, taken minute by minute once the
// frames have their time stamps, by zelmot-stats' rules: damaged frames and
// frames by source address; requests, retries (a master's request again to
// the same DA with the same FC after its last one went unanswered) and
// answers by destination; the idle gap before each frame (gaps of 0 to 10
// bit times and negative ones are recorder artefacts, as are records written
// with a wrong length byte); a master's wait from the end of an unanswered
// request to its retry (its slot time, seen); each DP slave's request
// intervals from its master while it is in data exchange. A record written
// with a wrong length byte counts as the reader reads it: cut short, the
// byte after the cut its status. The run's last frame, which a reader does
// not deliver, is left out.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gen_book.h"
#include "gen_bus.h"
#include "gen_dp_log.h"
#include "gen_minute.h"
#include "gen_stream.h"

namespace zelmot {

struct StationTally {
    std::uint64_t SaFrames = 0;          // frames whose SA is this station, damaged or not
    Occurrences SaDamaged;
    std::uint64_t Requests = 0;          // requests to it
    Occurrences Retries;                 // of those, retries
    std::uint64_t Answers = 0;           // answers to requests to it (SC or a frame from it)
    BookEntry Slowest;                   // the answer with the longest gap before it
    std::int64_t SlowestGap = -1;        // ticks
    std::uint64_t LateAnswers = 0;       // answers after more than 80% of the configured slot time
    // As a master.
    std::int64_t SlotSeen = -1;          // ticks: the shortest wait before a retry
    std::uint64_t SlotRetries = 0;       // retries that showed it
    // As a DP slave, requests from its master while in data exchange.
    bool InExchange = false;
    bool HasRequest = false;
    bool LastInExchange = false;
    BookEntry LastRequest;
    std::int64_t LongestInterval = -1;   // ticks
    BookEntry LongestStart;
    BookEntry LongestEnd;
};

struct CaptureTally {
    std::uint64_t Frames = 0;
    BookEntry FirstFrame;
    Occurrences Damaged;
    Occurrences ShortGaps;               // gaps of 0 up to 10 bit times
    Occurrences NegativeGaps;
    Occurrences Resyncs;                 // the record read after a lost boundary
    std::vector<std::int64_t> GapTicks[2];  // the first ten short and negative gaps
    std::array<StationTally, kLogStations> Stations;
    // What links a frame to the frames before it.
    bool HasPrevious = false;
    std::uint64_t PreviousStamp = 0;
    std::uint8_t PreviousLength = 0;
    bool PreviousRequest = false;        // the frame before was a request (of PendingSa)
    bool PendingActive = false;
    std::uint8_t PendingDa = 0;
    std::uint8_t PendingSa = 0;
    struct Link {
        bool HasRequest = false;
        std::uint8_t Da = 0;
        std::uint8_t Fc = 0;
        bool Answered = false;
    };
    std::array<Link, kLogStations> Links{};
};

// Takes the minute just placed, whose first frame has the number first;
// frames from limit on are not read. The DP log gives each slave's master
// and its changes into and out of data exchange, and gets the request
// interval that ends at each of its drops.
void TallyMinute(CaptureTally& tally, DpLog& log, FrameBook& book, const MinuteFrames& minute, std::uint64_t first,
                 const std::vector<CorruptedRecord>& corrupted, std::uint64_t limit, const BusProfile& bus);

}  // namespace zelmot
