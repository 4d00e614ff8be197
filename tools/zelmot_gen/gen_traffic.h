// The bus traffic model: a ring of masters passing the token, each polling
// its slaves while it holds the token. Slaves start up through diagnosis,
// parameterisation and configuration check, then exchange data; the masters
// poll station addresses for their FDL status, now and then send a global
// control, and repeat a request whose answer is missing or damaged.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gen_bus.h"
#include "gen_frames.h"
#include "gen_options.h"
#include "gen_random.h"

namespace zelmot {

constexpr std::size_t kMaxIoBytes = 32;

enum class SlavePhase : std::uint8_t { FirstDiagnosis, Parameters, Configuration, SecondDiagnosis, Exchange };

struct SlaveState {
    std::uint8_t address = 0;
    std::uint8_t inputLength = 0;   // 0 .. kMaxIoBytes; 0 answers data exchange with SC
    std::uint8_t outputLength = 0;  // 0 .. kMaxIoBytes; 0 polls with an SD1 frame
    SlavePhase phase = SlavePhase::FirstDiagnosis;
    bool fcb = true;                // FCB of the next request to this slave
    bool fcv = false;               // false until the first request was answered
    bool diagnosisPending = false;  // the slave answered DH and wants to be asked
    std::uint16_t responseBits = 11;
    std::uint16_t ident = 0;
    std::array<std::uint8_t, kMaxIoBytes> inputs{};
    std::array<std::uint8_t, kMaxIoBytes> outputs{};
};

struct MasterState {
    std::uint8_t address = 0;
    std::uint8_t gapAddress = 0;      // last station polled for its FDL status
    std::uint32_t holds = 0;          // token holds so far
    std::vector<std::size_t> slaves;  // indices into TrafficState::slaves, in poll order
};

struct TrafficState {
    BusProfile bus;
    std::vector<MasterState> masters;
    std::vector<SlaveState> slaves;
    std::size_t holder = 0;           // master holding the token
    std::size_t step = 0;             // position in the holder's poll list
    bool afterTimeout = false;        // the last request went unanswered
    Rng rng;                          // traffic decisions
    Rng errorRng;                     // receive errors
    Chance errorChance;
    std::vector<GenFrame> queue;      // frames made but not yet taken
    std::size_t next = 0;             // first untaken frame in queue
};

void InitTraffic(TrafficState& traffic, const GenOptions& options, const BusProfile& bus);

// The next frame on the bus; valid until the following call.
const GenFrame& NextTrafficFrame(TrafficState& traffic);

}  // namespace zelmot
