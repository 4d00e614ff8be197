// The fault scenarios of --fault: one per findings rule, shaped so that the
// rule's definition fires, some in a second form, and near misses that
// come as close to a rule as they can without firing it. Each has its
// option word, the rule it concerns and what it takes of the plant: the
// segment, a master, or slaves of its own.
#pragma once

#include <cstdint>

namespace zelmot {

// ORDER kFaultTable in gen_fault_kinds.cpp.
enum class FaultKind : std::uint8_t {
    CaptureGap,           // resynchronisations, a clock stepping back, gaps under 11 bit times
    CaptureGapNear,       // gaps of exactly 11 bit times
    SlaveLost,            // a slave stops answering, then starts up anew
    SlaveLostForGood,     // ... and never answers again
    CommonCause,          // two or three slaves of one master drop together
    CommonCauseNear,      // two slaves drop 150 ms apart
    SlaveRestart,         // a slave answers Data_Exchange with RS
    SlaveRestartDiag,     // a slave's diagnosis shows Prm_Req during data exchange
    WatchdogExpired,      // the master is held up longer than the slave's watchdog
    WatchdogExpiredNear,  // held up just under it, then the slave restarts
    WatchdogTight,        // held up for more than half the watchdog, no drop
    WatchdogTightNear,    // held up for just under half the watchdog
    NotReady,             // a configuration the slave does not have: never data exchange
    Diagnosis,            // Ext_Diag and Stat_Diag during data exchange
    ErrorsLocal,          // damaged answers of one slave
    ErrorsLocalNear,      // four damaged answers of one slave
    ErrorsSpread,         // one frame in 500 damaged, all over the segment
    ErrorsSpreadNear,     // one frame in 1250 damaged
    Retries,              // six answers of one slave missing, each retried
    RetriesNear,          // two
    SlowAnswers,          // answers late against the slot time, two retries show it
    NegativeAnswers,      // RS to Rd_Inp and Get_Cfg, a DP-V1 read refused
    DoubleAddress,        // two idents alternate in one address's diagnoses
    DeviceReplaced,       // the ident changes once and stays
    MasterClear,          // Global_Control with Clear_Data for a while
    MasterClearToEnd,     // ... to the end of the run
};
constexpr unsigned kFaultCount = 26;

// What a scenario takes of the plant.
enum class FaultTarget : std::uint8_t { Segment, Master, Slaves };

struct FaultInfo {
    const char* Name;  // the option word
    const char* Rule;  // the findings kind it fires, or comes near to
    bool NearMiss;
    FaultTarget Target;
    std::uint8_t Slaves;  // slaves of its own (Target Slaves)
};

const FaultInfo& FaultInfoOf(FaultKind kind);

// The kind named by word; false when none is.
bool FaultByName(const char* word, std::size_t length, FaultKind& kind);

inline const char* FaultName(FaultKind kind) { return FaultInfoOf(kind).Name; }

}  // namespace zelmot
