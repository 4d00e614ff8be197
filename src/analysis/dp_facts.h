// What the findings read of the DP layer, noted by the DP tracker as the
// frames come: a slave's drops out of data exchange and its return, the
// intervals between its master's requests, its diagnoses while in data
// exchange, the idents its diagnoses carry, the requests it refused, and a
// master's periods in CLEAR. Only frames in the window are noted as
// occurrences; the links (in data exchange or not, the last request) follow
// every frame.
#pragma once

#include <cstdint>

#include "analysis/analysed_frame.h"
#include "analysis/bus_stats.h"
#include "fdl/fdl_bytes.h"
#include "fdl/fdl_codes.h"

namespace zelmot {

inline FrameRef RefOf(const AnalysedFrame& frame) { return FrameRef{frame.ReferenceNumber, frame.Ns}; }

// The slave now is (again) in data exchange: at frame, its positive answer.
void EnterExchange(BusStats& stats, std::uint8_t address, FrameRef frame);

// The slave in data exchange showed it left it. request: the request of the
// drop; at: the frame that showed it; earlier: for Unanswered, the two
// unanswered requests before the third.
void NoteDrop(BusStats& stats, std::uint8_t address, DropSign sign, dp::Negative answer, FrameRef request, FrameRef at,
              const FrameRef* earlier, bool inWindow);

// A request (any, not a broadcast) from sa to da: the request interval of
// da when sa is its master, and the slaves a master in CLEAR addresses.
// Inline: every request is one.
inline void NoteRequestTo(BusStats& stats, const AnalysedFrame& request) {
    const FrameClass& c = request.Class;
    if (c.Da == fdl::BroadcastAddress) return;
    DpMasterStats& master = stats.Stations[c.Sa].DpMaster;
    if (master.InClear) master.AddressedInClear[c.Da / 64] |= std::uint64_t{1} << (c.Da % 64);
    DpSlaveStats& slave = stats.Stations[c.Da].Dp;
    if (slave.PrmMaster != c.Sa) return;
    DpRequestIntervals& intervals = slave.Intervals;
    const FrameRef now = RefOf(request);
    if (intervals.HasLast) {
        intervals.LatestNs = now.Ns - intervals.Last.Ns;
        intervals.LatestFrom = intervals.Last;
        if (slave.InExchange && request.InWindow && intervals.LatestNs > intervals.LongestInExchange) {
            intervals.LongestInExchange = intervals.LatestNs;
            intervals.LongestFrom = intervals.Last;
            intervals.LongestTo = now;
        }
    }
    intervals.HasLast = true;
    intervals.Last = now;
}

// The slave answered a Set_Prm from master positively: its master and watchdog.
void NoteParameters(BusStats& stats, std::uint8_t address, std::uint8_t master, bool wdOn, std::int64_t watchdogNs);

// A request answered with UE, RR or RS, or a DP-V1 negative response.
void NoteRefusal(BusStats& stats, std::uint8_t address, dp::Service service, dp::Negative answer, FrameRef at);
void NoteDpv1Refusal(BusStats& stats, std::uint8_t address, FrameRef at);

// A Slave_Diag response with its six standard bytes or more: the ident it
// carries and, in data exchange, a diagnosis with Ext_Diag or Stat_Diag.
void NoteDiagnosis(BusStats& stats, std::uint8_t address, fdl::Bytes data, bool dpv1, FrameRef at, bool inWindow);

// A Set_Slave_Add answered positively: the slave at `from` takes another address.
void NoteAddressChange(BusStats& stats, std::uint8_t from, std::uint8_t to);

// A master's Global_Control command byte.
void NoteClearControl(BusStats& stats, std::uint8_t master, std::uint8_t control, FrameRef at, bool inWindow);

}  // namespace zelmot
