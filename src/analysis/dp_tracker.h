// The per-frame step of the DP analysis, a consumer of the run beside the
// bus figures: it takes each request and each request settled by the frame
// after it (the exchange, paired once for both). It keeps
// what links a DP request to its answer -- a small decoded record of the
// request waiting, not the frame -- and what links frames over the run:
// each slave's unanswered DP requests in a row and its DP-V1 request
// waiting for its reply, each master's last Global_Control command.
// States and events follow every frame read; the counts only the window.
#pragma once

#include <array>
#include <cstdint>

#include "analysis/analysed_frame.h"
#include "analysis/bus_stats.h"
#include "analysis/exchange.h"

namespace zelmot {

// The DP request read last, waiting for the next frame.
struct PendingDpRequest {
    dp::Service Service = dp::Service::None;  // None: the request waiting is no DP request
    std::int64_t RequestNs = 0;
    FrameRef Request;
    std::uint8_t Master = 0;  // its SA
    DpBytes Data;  // Set_Prm, Chk_Cfg and Set_Slave_Add: the data unit
};

// A slave's DP-V1 read or write whose reply has not come: a poll repeats it.
struct Dpv1Waiting {
    bool Active = false;
    std::uint8_t Sap = 0;
    std::uint8_t Function = 0;
    std::uint8_t Slot = 0;
    std::uint8_t Index = 0;
    std::uint8_t Length = 0;
};

struct DpSlaveLink {
    std::uint8_t UnansweredInRow = 0;  // saturates at kUnansweredForOffline
    std::array<FrameRef, kUnansweredForOffline> Unanswered{};  // the last ones, the latest last
    Dpv1Waiting Dpv1;
};

struct DpMasterLink {
    bool HasControl = false;
    std::uint8_t LastControl = 0;
};

struct DpTracker {
    PendingDpRequest Pending;
    std::array<DpSlaveLink, kStationCount> Slaves{};
    std::array<DpMasterLink, kStationCount> Masters{};
};

// The request taken last is settled: answered or not, by the frame after it.
void TrackExchange(DpTracker& tracker, BusStats& stats, const Exchange& exchange);

// Takes a request read (frame.Class.Request; not the frame past EndRef). A DP
// request notes what its answer is checked against; a Global_Control is an
// event of its own.
void TrackRequest(DpTracker& tracker, BusStats& stats, const AnalysedFrame& frame);

// Takes the next frame read (not the one past EndRef), and first the request
// it settled (null: none was waiting). Inline: of a frame that is neither, as
// a token, nothing is done, not even a call.
inline void TrackFrame(DpTracker& tracker, BusStats& stats, const AnalysedFrame& frame, const Exchange* settled) {
    if (settled != nullptr) TrackExchange(tracker, stats, *settled);
    if (frame.Class.Request) TrackRequest(tracker, stats, frame);
}

// Puts the events in time order once reading has ended.
void FinishDpEvents(DpEvents& events);

}  // namespace zelmot
