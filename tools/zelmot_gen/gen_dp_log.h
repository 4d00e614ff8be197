// What a reader will find in the DP traffic, noted as the frames are made:
// each slave's DP state by zelmot-stats' rules (its master, watchdog,
// unanswered requests in a row), its drops out of data exchange and its
// returns, its diagnoses during data exchange, negative answers, idents,
// the configuration it was sent and its own; each master's Global_Control
// with Clear_Data. The record's fault lines are made from it at the end of
// the run (gen_fault_lines.h); the minute pass adds the times it needs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gen_book.h"

namespace zelmot {

constexpr std::size_t kLogStations = 128;
constexpr std::size_t kDiagsKept = 32;      // distinct diagnoses kept per slave
constexpr std::size_t kDropsKept = 10'000;  // drops kept in a run

// ORDER kReaderStateNames in gen_dp_log.cpp.
enum class ReaderState : std::uint8_t { None, Diagnosis, Parameterised, Configured, DataExchange, Offline };

const char* ReaderStateName(ReaderState state);

// How a slave in data exchange first shows that it has left.
enum class DropCause : std::uint8_t {
    Unanswered,  // its third unanswered DP request in a row
    Negative,    // a Data_Exchange answered RS or UE
    PrmReq,      // a Slave_Diag answer with Prm_Req
};

struct DropSeen {
    std::uint8_t Slave = 0;
    std::uint8_t Master = 0;
    DropCause Cause = DropCause::Unanswered;
    std::uint64_t Frame = 0;          // the frame that shows it (the request, or the answer)
    std::size_t Entry = kNoEntry;
    std::uint64_t Request = 0;        // the request whose interval ends at the drop
    std::int64_t IntervalTicks = -1;  // that interval, filled by the minute pass
    BookEntry IntervalFrom;           // the request that begins it
    std::size_t BackEntry = kNoEntry; // the answer of its first data exchange again
    std::uint32_t WatchdogMs = 0;     // of its last Set_Prm answered positively
    bool WdOn = false;
};

struct DiagSeen {
    std::vector<std::uint8_t> Bytes;
    Occurrences Seen;
};

// A change into or out of data exchange, at a frame.
struct ExchangeMark {
    std::uint64_t Frame = 0;
    bool In = false;
};

struct SlaveLog {
    ReaderState State = ReaderState::None;
    bool Left = false;               // dropped, not yet back in data exchange
    std::uint8_t Unanswered = 0;     // DP requests in a row, up to 3
    bool GotDpRequest = false;
    std::size_t FirstRequest = kNoEntry;  // its first DP request
    bool Exchanged = false;          // reached data exchange in the run
    std::uint8_t Master = 0;         // SA of its last Set_Prm answered positively
    std::uint32_t WatchdogMs = 0;
    bool WdOn = false;
    std::vector<ExchangeMark> Marks;  // for the minute pass, which consumes them
    std::size_t NextMark = 0;
    std::size_t OpenDrop = kNoEntry;  // index into DpLog::Drops of a drop awaiting the return
    std::vector<std::uint8_t> LastDiag;
    std::vector<std::uint8_t> LastChkCfg;  // the last Chk_Cfg answered positively
    std::vector<std::uint8_t> OwnCfg;      // its Get_Cfg answer
    bool HasOwnCfg = false;
    // Idents of its Slave_Diag answers.
    bool HasIdent = false;
    std::uint16_t Ident = 0;         // the one it showed last
    std::uint16_t FirstIdent = 0;
    std::uint16_t SecondIdent = 0;   // the first other one
    Occurrences IdentChanges;
    std::vector<DiagSeen> Diags;     // with Ext_Diag or Stat_Diag, in data exchange; kDiagsKept at most
    Occurrences Negatives;
    std::string NegativeWords;       // SERVICE:ANSWER, '/'-separated, the first ten
};

struct MasterLog {
    Occurrences Clears;              // the first Global_Control with Clear_Data of each spell
    std::size_t ClearEnd = kNoEntry;  // the one without that ends the last spell
    bool InClear = false;
    std::array<bool, kLogStations> Addressed{};  // slaves it sent requests while in CLEAR
};

struct DpLog {
    std::array<SlaveLog, kLogStations> Slaves;
    std::array<MasterLog, kLogStations> Masters;
    std::vector<DropSeen> Drops;      // in frame order, the first kDropsKept
    std::size_t NextDropInterval = 0; // the minute pass's place in Drops
};

}  // namespace zelmot
