// The state the DP fault scenarios keep in a slave: when its scenario may
// begin and end, what the master sends it (DP-V1 mode, a wrong ident, a
// configuration that does not fit), what the slave answers (nothing while
// it is dropped out, extended diagnosis, alarms, faults in the diagnosis
// after a check) and the DP-V1 service in progress. A slave without a
// scenario keeps these at their defaults and behaves as ever.
#pragma once

#include <array>
#include <cstdint>

#include "gen_options.h"

namespace zelmot {

constexpr std::uint8_t kMaxReadLength = 16;

// Frame numbers of the run from which a scenario may begin and end.
struct ScenarioWindow {
    std::uint64_t Start = 0;
    std::uint64_t End = 0;
    bool Started = false;
    bool Ended = false;
};

// A DP-V1 service on a slave: the request, answered with SC while the reply
// is not ready, then polled with the same request until the reply comes.
struct AcyclicJob {
    bool Active = false;
    bool Sent = false;            // the request went out; the master now polls
    std::uint8_t ReadyAfter = 0;  // polls answered with SC before the reply
    std::uint8_t Polls = 0;       // polls so far
    std::uint8_t Dsap = 0;
    std::uint8_t ReplyLength = 0;
    std::array<std::uint8_t, 4> Request{};
    std::array<std::uint8_t, 4 + kMaxReadLength> Reply{};
};

struct SlaveFaults {
    bool Chosen = false;  // the slave carries Scenario
    DpScenario Scenario = DpScenario::Dropout;
    ScenarioWindow Window;

    // What the master sends.
    bool Dpv1 = false;              // Set_Prm with DPV1_Status_1 0x80
    std::uint8_t Dpv1Status2 = 0;   // alarms enabled
    std::uint16_t PrmIdent = 0;     // ident sent in Set_Prm when WrongIdent
    bool WrongIdent = false;
    std::uint8_t ExtraModule = 0;   // an identifier the slave lacks, sent in Chk_Cfg; 0 none
    std::uint8_t ShownFault = 0;    // Cfg_Fault or Prm_Fault for the diagnosis after the check

    // A dropout.
    bool Silent = false;            // the slave answers nothing
    bool Returning = false;         // its next answer ends the dropout
    std::uint32_t SilentPolls = 0;
    std::uint32_t Unanswered = 0;   // requests left unanswered so far

    // Extended diagnosis.
    bool ChannelFault = false;      // identifier- and channel-related blocks
    std::uint8_t FaultModule = 0;
    std::uint8_t FaultChannel = 0;  // channel byte of the channel block
    std::uint8_t FaultType = 0;     // width and error type byte
    bool AlarmPresent = false;      // a diagnosis alarm not yet acknowledged
    std::uint8_t AlarmSpecifier = 0;
    std::uint8_t AlarmSequence = 0;
    bool ForceDh = false;           // the next data exchange answer is DH
    bool DiagWanted = false;        // the slave answered DH: the master asks
    bool ClearPending = false;      // the next diagnosis without blocks ends it

    // DP-V1 services and services the slave lacks.
    AcyclicJob Job;
    std::uint8_t JobsDone = 0;
    std::uint8_t RefusedJob = 0;    // number of the read that is refused
    std::uint8_t AskDsap = 0;       // a service to ask for after the next data exchange; 0 none
    std::uint8_t NextDsap = 0;      // the one asked for at the window's end
};

constexpr std::uint8_t kDiagnosisAlarm = 0x01;  // DP-V1 alarm type

// The DP-V1 slot of the faulty module: the modules follow the device's own
// slot 0.
inline std::uint8_t AlarmSlot(const SlaveFaults& faults) {
    return static_cast<std::uint8_t>(faults.FaultModule + 1);
}

}  // namespace zelmot
