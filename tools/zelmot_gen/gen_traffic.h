// The bus traffic model: a ring of masters passing the token, each polling
// its slaves while it holds the token. Slaves start up through diagnosis,
// parameterisation and configuration check, then exchange data; the masters
// poll station addresses for their FDL status, now and then send a global
// control, and repeat a request whose answer is missing or damaged. The DP
// and fault scenarios and the plant changes, when chosen, change what some
// slaves, a master or the segment do; with --record the traffic notes what
// a reader will find in it (gen_dp_log.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "gen_book.h"
#include "gen_bus.h"
#include "gen_dp_log.h"
#include "gen_events.h"
#include "gen_fault_state.h"
#include "gen_faults.h"
#include "gen_frames.h"
#include "gen_options.h"
#include "gen_random.h"
#include "gen_watchdog.h"

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
    Watchdog Wd;                    // sent in Set_Prm, with WD_On
    std::uint8_t UserPrm = 0;       // Set_Prm byte 9 of a DP-V0 slave: its third user parameter byte
    std::uint8_t MasterIndex = 0;   // of the master whose poll list holds it
    std::uint64_t LastRequestNatural = 0;  // natural start of the last request its master sent it
    SlaveFault Fault;
    // Plant changes (--change).
    bool Changed = false;           // carries one
    bool Gone = false;              // polled in the shadow only: nothing of it reaches the bus
    std::uint32_t DamageEvery = 0;  // every nth data exchange answer damaged; 0 none
    std::uint32_t ExchangePolls = 0;
};

struct MasterState {
    std::uint8_t Address = 0;
    std::uint8_t GapAddress = 0;      // last station polled for its FDL status
    std::uint32_t Holds = 0;          // token holds so far
    std::vector<std::size_t> Slaves;  // indices into TrafficState::slaves, in poll order
    std::uint8_t Control = 0;         // command byte of its global controls (0x02 in CLEAR)
    bool ControlChanged = false;      // the new command has not gone out cleanly yet
    bool ClearChosen = false;         // the master goes to CLEAR within ClearWindow
    const char* ClearScenario = "";   // the scenario that chose it
    ScenarioWindow ClearWindow;
};

// The frames of the last Transact, by number in the run.
struct TransactionFrames {
    std::uint64_t FirstRequest = 0;
    std::uint64_t LastRequest = 0;
    std::uint64_t Answer = 0;  // valid when the transaction was answered
    unsigned Requests = 0;
    std::uint64_t FirstRequestStart = 0;  // natural start of the first request
    std::uint64_t LastRequestStart = 0;   // and of the last
    bool Answered = false;
};

// A plant change as the record tells it: what it was and is, and the first
// frame that shows it (a request or an answer of the given DSAP, -1 for
// Data_Exchange).
struct ChangeNote {
    ChangeKind Kind = ChangeKind::Ident;
    std::uint8_t Address = 0;
    std::uint8_t Master = 0;
    std::string Before;
    std::string After;
    int Dsap = -1;
    bool OnAnswer = false;
    std::size_t Entry = kNoEntry;
};

// The request frame of an attempt of the last Transact (a request, then a retry).
inline std::uint64_t AttemptFrame(const TransactionFrames& tr, unsigned attempt) {
    return attempt == 0 ? tr.FirstRequest : tr.LastRequest;
}

// Whether the attempt's request got its answer: only the last can have.
inline bool AttemptAnswered(const TransactionFrames& tr, unsigned attempt) {
    return attempt + 1 == tr.Requests && tr.Answered;
}

// One-shot turns of the next Transact, set by a scenario or a plant change.
struct TransactTurns {
    bool DropAnswer = false;     // the first attempt's answer does not come
    bool DamageAnswer = false;   // the first attempt's answer comes damaged
    bool SideRetry = false;      // attempts after the first draw from the side stream
    bool DiscardAnswer = false;  // the answer's draws are made, the frame is left out
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

    Chance TimeoutChance;             // --timeout-rate
    Chance DiagChance;                // --diag-rate
    std::uint64_t FrameLimit = 0;     // frames a reader gets: the run's frames less its last one
    // Fault scenarios and plant changes.
    SegmentFaults Segment;
    TransactTurns Turns;
    Rng SideRng;                      // draws that must not disturb the plant's own
    bool SideDraws = false;           // traffic draws come from SideRng, no receive errors
    bool SideSlot = false;            // the next master frame waits a slot time drawn from SideRng
    bool Shadow = false;              // frames made now are thrown away: nothing is noted
    std::uint32_t ExactStretches = 0; // while any runs, frames get no share of the minute's spare time
    std::uint64_t NaturalClock = 0;   // ticks: natural end of the last frame finished
    std::uint64_t LastFrameStart = 0; // natural start of the last frame finished
    std::uint64_t HoldUntil = 0;      // the next master frame starts no earlier (natural ticks)
    std::uint32_t FramesPerMinute = 0;
    std::vector<ChangeNote> Changes;  // the plant changes, for the record
    FrameBook Book;                   // frames the fault lines name
    DpLog Log;                        // what a reader will find, as the frames are made
};

// Sets the plant up, with its scenarios and changes; an error when the
// options ask for what the plant cannot give.
Outcome InitTraffic(TrafficState& traffic, const GenOptions& options, const BusProfile& bus);

// Notes an event when the run records them.
void NoteEvent(TrafficState& traffic, std::uint64_t frame, const MasterState& master, std::uint8_t station,
               EventKind kind, std::string detail = {});

// The next frame on the bus; valid until the following call.
const GenFrame& NextTrafficFrame(TrafficState& traffic);

// Whether the slave answers nothing at present (a dropout, a slave lost).
inline bool IsSilent(const SlaveState& slave) {
    return slave.Faults.Silent || slave.Fault.SilentUntilDrop || slave.Fault.SilentForGood;
}

// Whether the frame after the last one taken is made already and takes no
// spare time (an answer, or a frame after a timeout).
bool NextFrameUnweighted(const TrafficState& traffic);

// A frame made in the current step, by its number in the run.
const GenFrame& MadeFrame(const TrafficState& traffic, std::uint64_t number);

// Whether what happens at frame number is noted for the record: recording,
// not in a shadow poll, and a frame a reader will get.
inline bool Observed(const TrafficState& traffic, std::uint64_t number) {
    return traffic.Recording && !traffic.Shadow && number < traffic.FrameLimit;
}

// The draws of the traffic: the plant's own, or the side stream.
inline Rng& DrawRng(TrafficState& traffic) { return traffic.SideDraws ? traffic.SideRng : traffic.TrafficRng; }

}  // namespace zelmot
