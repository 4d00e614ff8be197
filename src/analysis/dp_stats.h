// The DP analysis as plain records: each slave's DP state, its last
// parameters, configuration and diagnosis (their bytes, decoded only for
// the report), its DP counts, and the bounded list of DP events. Every
// table is fixed in size except the event list, which keeps the first
// kDpEventsKept events and counts the rest (or, for a reader that runs for
// weeks, keeps the latest: DropOldestEvents).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/evidence.h"
#include "dp/dp_service.h"

namespace zelmot {

// The numbers are the keys of the state names and words (dp_words.cpp
// checks that each has a row).
enum class DpState : std::uint8_t {
    None = 0,  // no state yet: DP requests, but no rule applied
    Diagnosis = 1,
    Parameterised = 2,
    Configured = 3,
    DataExchange = 4,
    Offline = 5,
};
constexpr std::size_t kDpStateCount = 6;

// Three DP requests in a row left unanswered put a slave offline.
constexpr std::uint8_t kUnansweredForOffline = 3;

constexpr std::size_t kDpEventsKept = 100'000;

// A data unit kept for the report: a frame's data count fits in a byte.
constexpr std::size_t kDpBytesMax = 255;
struct DpBytes {
    std::uint8_t Size = 0;
    std::array<std::uint8_t, kDpBytesMax> Data{};
};
inline fdl::Bytes BytesOf(const DpBytes& bytes) { return fdl::Bytes(bytes.Data.data(), bytes.Size); }
void SetBytes(DpBytes& to, fdl::Bytes from);
bool SameBytes(const DpBytes& kept, fdl::Bytes other);

// The slots (identifiers) of the Chk_Cfg a slave had answered positively
// when a diagnosis came, by which its module status is summed up; none
// before it answered one. A frame's data unit holds at most 255.
using DpCfgSlots = std::optional<std::uint8_t>;

// The last Set_Prm or Chk_Cfg a slave answered positively, and how many.
struct DpCommandFigures {
    std::uint64_t Count = 0;  // in the window
    bool Seen = false;        // one was answered positively, inside the window or not
    std::int64_t LastNs = 0;  // AbsTime of its request
    DpBytes Data;             // its data unit
};

struct DpDiagFigures {
    std::uint64_t Responses = 0;  // Slave_Diag responses (frames, not SC) in the window
    bool Seen = false;
    std::int64_t LastNs = 0;      // AbsTime of the last response
    bool Dpv1 = false;            // the slave ran in DP-V1 mode when it came
    DpCfgSlots CfgSlots = std::nullopt;  // the slots of the slave's configuration when it came
    DpBytes Last;                 // its data unit
};

// The negative FDL answers, by dp::Negative less one.
constexpr std::size_t kNegativeKinds = 3;

// The request intervals of a slave: the time between two consecutive
// requests from its master (the SA of its last Set_Prm answered positively)
// addressed to it.
struct DpRequestIntervals {
    bool HasLast = false;
    FrameRef Last;               // the master's last request to it
    std::int64_t LatestNs = -1;  // the interval that ended at Last; -1: none
    FrameRef LatestFrom;         // the request it began with
    std::int64_t LongestInExchange = -1;  // the longest that ended in data exchange
    FrameRef LongestFrom;
    FrameRef LongestTo;
};

// The idents a slave's diagnoses carried, in the order they came: a change
// that stays (another device), or two that alternate (two devices on one
// address). A Set_Slave_Add to the address starts it afresh.
struct DpIdentTrack {
    bool Has = false;
    std::uint16_t First = 0;
    std::uint16_t Current = 0;
    std::uint16_t Previous = 0;   // the one before Current, after a change
    std::uint64_t Changes = 0;
    bool Returned = false;        // an ident came back after another
    FrameRef FirstChange;         // the first response with another ident
    Evidence Responses;           // responses at the changes
};

// A distinct diagnosis a slave reported while in data exchange with
// Ext_Diag or Stat_Diag, its bytes in BusStats.DiagnosisBytes.
struct DpDiagSeen {
    std::uint32_t Offset = 0;
    std::uint8_t Size = 0;
    bool Dpv1 = false;
    DpCfgSlots CfgSlots = std::nullopt;
    Occurrences Seen;
};
constexpr std::size_t kDiagnosesKept = 4;  // distinct diagnoses kept per slave

// A negative FDL answer to a DP request by the request's service, and the
// DP-V1 negative responses; not those that were a drop's first sign.
struct DpRefusals {
    std::array<std::array<std::uint32_t, dp::kServiceCount>, kNegativeKinds> ByService{};
    std::uint64_t Dpv1 = 0;
    Occurrences All;
};

struct DpSlaveStats {
    bool Active = false;  // it got a DP request (read anywhere in the run)
    DpState State = DpState::None;
    bool HasIdent = false;  // a Slave_Diag response held the six standard bytes
    std::uint16_t Ident = 0;
    std::uint8_t MasterAdd = 0xFF;  // of that response
    bool Dpv1 = false;              // the last Set_Prm answered positively set DP-V1 mode
    std::uint64_t Entries = 0;      // changes into data exchange, in the window
    std::uint64_t DropOuts = 0;     // changes out of it, in the window
    DpCommandFigures Prm;
    DpCommandFigures Cfg;
    std::uint64_t ExchangeRequests = 0;  // Data_Exchange requests in the window
    std::uint64_t ExchangeAnswered = 0;
    std::uint64_t DiagWaiting = 0;       // of those answered, the DH/RDH answers
    DpDiagFigures Diag;
    std::array<std::uint64_t, kNegativeKinds> Negative{};  // UE, RR, RS answers to DP requests
    std::uint64_t Dpv1Reads = 0;   // read requests; a poll repeating the pending one counts once
    std::uint64_t Dpv1Writes = 0;
    std::uint64_t Dpv1Errors = 0;  // DP-V1 negative responses

    // What the findings read.
    bool EverExchanged = false;     // reached data exchange somewhere in the run
    bool InExchange = false;        // in data exchange, and no drop since
    bool AddressChanged = false;    // a Set_Slave_Add gave it another address
    std::uint8_t PrmMaster = 0xFF;  // SA of its last Set_Prm answered positively
    bool WdOn = false;              // that Set_Prm switched its watchdog on
    std::int64_t WatchdogNs = 0;
    DpRequestIntervals Intervals;
    std::int32_t LastDrop = -1;     // its last drop in DpDrops.Kept, or -1
    DpCommandFigures GetCfg;        // the slave's own configuration: its last Get_Cfg answer
    FrameRef FirstRequest;          // its first and last DP request
    FrameRef LastRequest;
    FrameRef LastCfgRequest;        // the last Chk_Cfg answered positively
    FrameRef GetCfgAnswer;          // the frame of GetCfg
    FrameRef LastDiagFrame;         // the last Slave_Diag response
    DpIdentTrack Idents;
    std::uint8_t DiagnosesKept = 0;
    std::uint64_t DiagnosesMore = 0;  // distinct diagnoses beyond those kept
    std::array<DpDiagSeen, kDiagnosesKept> Diagnoses{};
    DpRefusals Refusals;
};

// How a slave in data exchange first showed it had left it.
enum class DropSign : std::uint8_t {
    Unanswered = 0,  // its third unanswered DP request in a row
    Refused = 1,     // a Data_Exchange answered with RS or UE
    PrmReq = 2,      // a Slave_Diag response with Prm_Req set
};

struct DpDrop {
    std::uint8_t Address = 0;
    DropSign Sign = DropSign::Unanswered;
    dp::Negative Answer = dp::Negative::None;  // Refused: RS or UE
    FrameRef At;                  // the frame that showed it
    FrameRef Request;             // the request of the drop (Unanswered: the third)
    std::array<FrameRef, 2> EarlierUnanswered{};  // Unanswered: the two before it
    std::uint8_t Master = 0xFF;   // the slave's master then
    bool WdOn = false;
    std::int64_t WatchdogNs = 0;
    std::int64_t IntervalNs = -1;  // the request interval that ended at Request; -1: unknown
    FrameRef IntervalFrom;
    std::array<FrameRef, 2> MasterTokens{};  // the master's last two tokens before it
    bool Back = false;            // it came back to data exchange
    FrameRef BackAt;
};

constexpr std::size_t kDropsKept = 4096;

// The drops of every slave in the window, in the order they came.
struct DpDrops {
    std::vector<DpDrop> Kept;
    std::uint64_t NotKept = 0;
};

// A master's Global_Control with Clear_Data: the periods its controller held
// the outputs in their safe state, and the slaves it addressed meanwhile.
struct DpClearPeriod {
    FrameRef From;  // the Global_Control that set Clear_Data
    FrameRef To;    // the one that cleared it; Reference 0: to the end
};
constexpr std::size_t kClearPeriodsKept = 8;

struct DpMasterStats {
    bool InClear = false;
    std::uint64_t ClearPeriods = 0;
    std::array<DpClearPeriod, kClearPeriodsKept> Clear{};  // the first ones
    std::array<std::uint64_t, 2> AddressedInClear{};        // a bit per address
};

// The numbers are the keys of the event kind names (dp_words.cpp checks
// that each has a row).
enum class DpEventKind : std::uint8_t {
    State = 0,
    Diag = 1,
    IdentMismatch = 2,
    GlobalControl = 3,
    Negative = 4,
    Dpv1Error = 5,
};
constexpr std::size_t kDpEventKindCount = 6;

// One event; the fields its kind does not use stay 0.
struct DpEvent {
    std::int64_t Ns = 0;       // AbsTime of the frame it happened at
    std::uint8_t Address = 0;  // the slave; the master for a Global_Control
    DpEventKind Kind = DpEventKind::State;
    DpState From = DpState::None;  // State
    DpState To = DpState::None;
    bool Dpv1 = false;              // Diag: decode device blocks as DP-V1 status and alarms
    DpCfgSlots CfgSlots = std::nullopt;  // Diag: the slave's configured slots then
    std::uint32_t DiagOffset = 0;   // Diag: its data unit in DpEvents.Bytes
    std::uint8_t DiagSize = 0;
    std::uint16_t PrmIdent = 0;     // IdentMismatch
    std::uint16_t DiagIdent = 0;
    std::uint8_t Control = 0;       // GlobalControl: command byte and group select
    std::uint8_t Group = 0;
    dp::Negative Response = dp::Negative::None;  // Negative
    dp::Service Service = dp::Service::None;     // Negative: the request's service
    std::uint8_t Function = 0;      // Dpv1Error: without the negative bit
    std::uint8_t ErrorDecode = 0;
    std::uint8_t ErrorCode1 = 0;
    std::uint8_t ErrorCode2 = 0;
};

// The events in the order they were recorded; FinishBusStats puts them in
// time order (frames whose stamps step back keep their place among equals).
// Until then an event's place tells its sequence number among all the
// events recorded: Kept[i] is event Dropped + i where the oldest are dropped.
struct DpEvents {
    std::vector<DpEvent> Kept;
    std::vector<std::uint8_t> Bytes;  // the data units of the Diag events
    std::uint64_t Dropped = 0;        // recorded, not kept
    // Events past this many are not kept but counted in Dropped; a reader
    // that keeps the latest lifts it and drops the oldest itself.
    std::size_t Limit = kDpEventsKept;
};

// The data unit of a Diag event.
fdl::Bytes EventDiagBytes(const DpEvents& events, const DpEvent& event);

// Drops the oldest events (recorded first) so that at most keep are kept,
// counting them in Dropped, and the data units no kept event points to.
void DropOldestEvents(DpEvents& events, std::size_t keep);

// The slots of the slave's last Chk_Cfg answered positively (each
// identifier a slot, as dp::CountCfgIdentifiers counts them); none before one.
DpCfgSlots ConfiguredSlots(const DpSlaveStats& slave);

}  // namespace zelmot
