// Gap rules in bit times: a master waits the sync time (33 bits) plus up to
// 42 bits before it sends; a slave answers after its own delay plus up to 7
// bits; after a missing answer the master waits the slot time and the sync
// time. Every gap gets up to one bit of tick jitter.
#include "gen_transact.h"

#include "gen_errors.h"

namespace zelmot {
namespace {

constexpr std::uint32_t kIdleJitterBits = 43;
constexpr std::uint32_t kAnswerJitterBits = 8;
// A request goes unanswered about once in 2000.
constexpr Chance kTimeoutChance{static_cast<std::uint64_t>(kChanceScale / 2000)};

GenFrame& PushFrame(TrafficState& t, std::uint32_t bits, std::uint16_t weight) {
    GenFrame& frame = t.Queue.emplace_back();
    ++t.FramesMade;
    frame.GapTicks = bits * t.Bus.TicksPerBit + RandomBelow(t.TrafficRng, t.Bus.TicksPerBit);
    frame.IdleWeight = weight;
    return frame;
}

void CopyBytes(GenFrame& to, const GenFrame& from) {
    to.Bytes = from.Bytes;
    to.Length = from.Length;
    to.Status = from.Status;
}

}  // namespace

GenFrame& PushMasterFrame(TrafficState& t, MasterGap kind) {
    if (t.AfterTimeout) {
        t.AfterTimeout = false;
        return PushFrame(t, t.Bus.SlotBits + kSyncBits + RandomBelow(t.TrafficRng, kAnswerJitterBits), 0);
    }
    std::uint32_t bits = kSyncBits + RandomBelow(t.TrafficRng, kIdleJitterBits);
    std::uint32_t weight = kind == MasterGap::Token ? RandomIn(t.TrafficRng, 256, 767) : RandomIn(t.TrafficRng, 32, 95);
    return PushFrame(t, bits, static_cast<std::uint16_t>(weight));
}

GenFrame& PushAnswer(TrafficState& t, std::uint32_t responseBits) {
    return PushFrame(t, responseBits + RandomBelow(t.TrafficRng, kAnswerJitterBits), 0);
}

bool FinishFrame(TrafficState& t, GenFrame& frame) {
    if (Happens(t.ErrorRng, t.ErrorChance)) ApplyReceiveError(frame, t.ErrorRng);
    return frame.Status == 0;
}

bool Transact(TrafficState& t, const GenFrame& request, const GenFrame* answer,
              std::uint32_t responseBits, unsigned retries) {
    t.LastTransaction = TransactionFrames{};
    t.LastTransaction.FirstRequest = t.FramesMade;
    for (unsigned attempt = 0; attempt <= retries; ++attempt) {
        t.LastTransaction.LastRequest = t.FramesMade;
        ++t.LastTransaction.Requests;
        GenFrame& sent = PushMasterFrame(t, MasterGap::Request);
        CopyBytes(sent, request);
        // A station ignores a damaged request, so that too ends in a timeout.
        bool heard = FinishFrame(t, sent);
        if (answer == nullptr || !heard || Happens(t.TrafficRng, kTimeoutChance)) {
            t.AfterTimeout = true;
            continue;
        }
        t.LastTransaction.Answer = t.FramesMade;
        GenFrame& reply = PushAnswer(t, responseBits);
        CopyBytes(reply, *answer);
        if (FinishFrame(t, reply)) return true;
    }
    return false;
}

}  // namespace zelmot
