// The bus traffic model: a ring of masters passing the token, each polling
// its slaves while it holds the token. Slaves start up through diagnosis,
// parameterisation and configuration check, then exchange data; the masters
// poll station addresses for their FDL status, now and then send a global
// control, and repeat a request whose answer is missing or damaged. The DP
// fault scenarios, when chosen, change what some slaves and one master do.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gen_bus.h"
#include "gen_events.h"
#include "gen_faults.h"
#include "gen_frames.h"
#include "gen_options.h"
#include "gen_random.h"

namespace zelmot {

constexpr std::size_t kMaxIoBytes = 32;

enum class SlavePhase : std::uint8_t { FirstDiagnosis, Parameters, Configuration, SecondDiagnosis, Exchange };

struct SlaveState {
    std::uint8_t Address = 0;
    std::uint8_t InputLength = 0;   // 0 .. kMaxIoBytes; 0 answers data exchange with SC
    std::uint8_t OutputLength = 0;  // 0 .. kMaxIoBytes; 0 polls with an SD1 frame
    SlavePhase Phase = SlavePhase::FirstDiagnosis;
    bool Fcb = true;                // FCB of the next request to this slave
    bool Fcv = false;               // false until the first request was answered
    bool DiagnosisPending = false;  // the slave answered DH and wants to be asked
    std::uint16_t ResponseBits = 11;
    std::uint16_t Ident = 0;
    std::array<std::uint8_t, kMaxIoBytes> Inputs{};
    std::array<std::uint8_t, kMaxIoBytes> Outputs{};
    bool ExchangeNoted = false;     // the data exchange since the last start-up was recorded
    SlaveFaults Faults;
};

struct MasterState {
    std::uint8_t Address = 0;
    std::uint8_t GapAddress = 0;      // last station polled for its FDL status
    std::uint32_t Holds = 0;          // token holds so far
    std::vector<std::size_t> Slaves;  // indices into TrafficState::slaves, in poll order
    std::uint8_t Control = 0;         // command byte of its global controls (0x02 in CLEAR)
    bool ControlChanged = false;      // the new command has not gone out cleanly yet
    bool ClearChosen = false;         // the master goes to CLEAR within ClearWindow
    ScenarioWindow ClearWindow;
};

// The frames of the last Transact, by number in the run.
struct TransactionFrames {
    std::uint64_t FirstRequest = 0;
    std::uint64_t LastRequest = 0;
    std::uint64_t Answer = 0;  // valid when the transaction was answered
    unsigned Requests = 0;
};

struct TrafficState {
    BusProfile Bus;
    std::vector<MasterState> Masters;
    std::vector<SlaveState> Slaves;
    std::size_t Holder = 0;           // master holding the token
    std::size_t Step = 0;             // position in the holder's poll list
    bool AfterTimeout = false;        // the last request went unanswered
    Rng TrafficRng;                   // traffic decisions
    Rng ErrorRng;                     // receive errors
    Chance ErrorChance;
    std::vector<GenFrame> Queue;      // frames made but not yet taken
    std::size_t Next = 0;             // first untaken frame in queue
    std::uint64_t FramesMade = 0;     // frames made so far: the number of the next one
    TransactionFrames LastTransaction;
    Rng ScenarioRng;                  // choices of the fault scenarios
    bool Recording = false;           // events are noted
    std::vector<TrafficEvent> Events; // noted, not yet written
};

void InitTraffic(TrafficState& traffic, const GenOptions& options, const BusProfile& bus);

// Notes an event when the run records them.
void NoteEvent(TrafficState& traffic, std::uint64_t frame, const MasterState& master, std::uint8_t station,
               EventKind kind, std::string detail = {});

// The next frame on the bus; valid until the following call.
const GenFrame& NextTrafficFrame(TrafficState& traffic);

}  // namespace zelmot
