// The one-pass collection of the bus figures: the state that links a frame to
// the frames read before it (each master's last token and last request, the
// one-second bin being counted, the resynchronisations waiting for a time)
// and the steps the analysis calls per frame, per settled request and per
// lost record boundary.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/analysed_frame.h"
#include "analysis/bus_stats.h"
#include "analysis/exchange.h"
#include "capture/frame_timing.h"

namespace zelmot {

// What a master's next token and next request are compared with; kept for
// every frame read, inside the window or before it.
struct MasterLink {
    bool HasToken = false;
    std::uint64_t LastTokenTicks = 0;
    bool HasRequest = false;
    std::uint8_t LastDa = 0;
    std::uint8_t LastFc = 0;
    bool LastAnswered = false;
};

struct BusCollector {
    BaudTiming Baud;
    std::array<MasterLink, kStationCount> Masters{};
    bool SecondOpen = false;  // a one-second bin is being counted
    std::uint64_t CurrentSecond = 0;
    std::size_t CurrentBin = 0;  // the rate bin CurrentSecond counts in
    std::uint64_t CurrentSecondFrames = 0;
    // The tick differences from the first frame that lie in CurrentSecond:
    // [SecondFromTicks, SecondToTicks).
    std::int64_t SecondFromTicks = 0;
    std::int64_t SecondToTicks = 0;
    std::size_t ResyncsUntimed = 0;  // ResyncTimes from here on wait for the next frame's time
    std::uint64_t ResyncsUnseen = 0; // lost boundaries whose next frame has not come
    std::int64_t LastAbsNs = 0;      // AbsTime of the frame read last
    std::int64_t ShortGapNs = 0;     // a gap below this lasts less than 11 bit times
};

// Sets the collection up for a run whose first header gave this baud index
// and timing.
void StartBusCollection(BusCollector& collector, BusStats& stats, std::uint16_t baudIndex, const BaudTiming& baud);

// Gaps shorter than this many bit times are no bus traffic: the bus needs
// at least 11 between frames, so a shorter one comes from the recorder.
constexpr std::int64_t kShortestGapBits = 11;

// Artefacts within this time of each other form one span.
constexpr std::int64_t kArtefactMergeNs = 10'000'000;

// Takes the next frame read, and first the request it settled (null: none
// was waiting). The frame past EndRef is only read: it counts in nothing but
// FramesRead.
void CollectFrame(BusCollector& collector, BusStats& stats, const AnalysedFrame& frame, const Exchange* settled);

// Counts a settled request for its master and its slave (when the request
// lies in the window); an SC in the window answers for the request's DA.
void CollectExchange(BusCollector& collector, BusStats& stats, const Exchange& exchange);

// Gives the kept resynchronisations still waiting for a time this one: that
// of the frame read after them, or of the last frame read when none came.
void TimeWaitingResyncs(BusCollector& collector, BusStats& stats, std::int64_t ns);

// A record boundary was lost after `referenceNumber` frames.
void CollectResync(BusCollector& collector, BusStats& stats, std::uint32_t referenceNumber);

}  // namespace zelmot
