// Gap rules in bit times: a master waits the sync time (33 bits) plus up to
// 42 bits before it sends; a slave answers after its own delay plus up to 7
// bits; after a missing answer the master waits the slot time and the sync
// time. Every gap gets up to one bit of tick jitter. A natural clock runs
// along (gaps and frames without the minute's spare time): inside an
// exact-timing stretch, where frames get no spare time, it is the real
// time, so a scenario can hold a master up to a chosen moment. The turns a
// scenario asks of a Transact (an answer left out or damaged) draw nothing
// from the plant's streams; a plant change's retries draw from the side
// stream, so the plant's own draws stay as they were.
#include "gen_transact.h"

#include "gen_errors.h"

namespace zelmot {
namespace {

constexpr std::uint32_t kIdleJitterBits = 43;
constexpr std::uint32_t kAnswerJitterBits = 8;

GenFrame& PushFrame(TrafficState& t, std::uint32_t bits, std::uint16_t weight) {
    GenFrame& frame = t.Queue.emplace_back();
    ++t.FramesMade;
    frame.GapTicks = bits * t.Bus.TicksPerBit + RandomBelow(DrawRng(t), t.Bus.TicksPerBit);
    frame.IdleWeight = t.ExactStretches != 0 ? std::uint16_t{0} : weight;
    return frame;
}

void CopyBytes(GenFrame& to, const GenFrame& from) {
    to.Bytes = from.Bytes;
    to.Length = from.Length;
    to.Status = from.Status;
}

// The planned recorder artefact of the frame just pushed, if its turn has come.
void PutArtefact(TrafficState& t, GenFrame& frame, SegmentArtefact kind) {
    SegmentFaults& s = t.Segment;
    if (s.NextArtefact >= s.Artefacts.size()) return;
    const PlannedArtefact& a = s.Artefacts[s.NextArtefact];
    if (a.Kind != kind || t.FramesMade - 1 < a.From) return;
    if (kind == SegmentArtefact::ShortGap) {
        frame.GapTicks = a.Value * t.Bus.TicksPerBit;
    } else {
        frame.StepBackTicks = static_cast<std::uint32_t>(t.Bus.TicksPerSecond * a.Value / 1000000);
    }
    frame.IdleWeight = 0;
    ++s.NextArtefact;
    if (Observed(t, t.FramesMade - 1)) AddOccurrence(t.Book, s.Placed, t.FramesMade - 1);
}

// Holds the frame just pushed back to HoldUntil on the natural clock.
void HoldUp(TrafficState& t, GenFrame& frame) {
    std::uint64_t start = t.NaturalClock + frame.GapTicks;
    if (t.HoldUntil > start) {
        std::uint64_t longer = frame.GapTicks + (t.HoldUntil - start);
        frame.GapTicks = longer > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(longer);
    }
    t.HoldUntil = 0;
}

// The gap before a master's frame: the slot time after a timeout, else its
// idle time and its weight.
GenFrame& PushMasterGap(TrafficState& t, MasterGap kind) {
    if (t.AfterTimeout && !t.SideSlot) {
        t.AfterTimeout = false;
        return PushFrame(t, t.Bus.SlotBits + kSyncBits + RandomBelow(DrawRng(t), kAnswerJitterBits), 0);
    }
    std::uint32_t bits = kSyncBits + RandomBelow(DrawRng(t), kIdleJitterBits);
    std::uint32_t weight =
        kind == MasterGap::Token ? RandomIn(DrawRng(t), 256, 767) : RandomIn(DrawRng(t), 32, 95);
    if (t.SideSlot) {  // the plant's draws are made; the wait comes from the side stream
        t.SideSlot = false;
        t.AfterTimeout = false;
        bits = t.Bus.SlotBits + kSyncBits + RandomBelow(t.SideRng, kAnswerJitterBits);
        weight = 0;
    }
    return PushFrame(t, bits, static_cast<std::uint16_t>(weight));
}

}  // namespace

GenFrame& PushMasterFrame(TrafficState& t, MasterGap kind) {
    GenFrame& frame = PushMasterGap(t, kind);
    if (t.HoldUntil != 0) HoldUp(t, frame);
    PutArtefact(t, frame, SegmentArtefact::NegativeGap);
    return frame;
}

GenFrame& PushAnswer(TrafficState& t, std::uint32_t responseBits) {
    GenFrame& frame = PushFrame(t, responseBits + RandomBelow(DrawRng(t), kAnswerJitterBits), 0);
    PutArtefact(t, frame, SegmentArtefact::ShortGap);
    return frame;
}

bool FinishFrame(TrafficState& t, GenFrame& frame) {
    if (!t.SideDraws && Happens(t.ErrorRng, t.ErrorChance)) ApplyReceiveError(frame, t.ErrorRng);
    SegmentFaults& s = t.Segment;
    if (s.DamageEvery != 0 && s.DamageLeft != 0 && frame.Status == 0 &&
        (t.FramesMade - 1 + s.DamageOffset) % s.DamageEvery == 0) {
        DamageKeepingAddresses(frame, t.ScenarioRng);
        --s.DamageLeft;
    }
    t.LastFrameStart = t.NaturalClock + frame.GapTicks;
    t.NaturalClock = t.LastFrameStart + FrameTicks(t.Bus, frame.Length);
    return frame.Status == 0;
}

bool Transact(TrafficState& t, const GenFrame& request, const GenFrame* answer, std::uint32_t responseBits,
              unsigned retries) {
    const TransactTurns turns = t.Turns;
    t.Turns = TransactTurns{};
    t.LastTransaction = TransactionFrames{};
    t.LastTransaction.FirstRequest = t.FramesMade;
    bool answered = false;
    for (unsigned attempt = 0; attempt <= retries && !answered; ++attempt) {
        if (attempt > 0 && turns.SideRetry) t.SideDraws = true;
        t.LastTransaction.LastRequest = t.FramesMade;
        ++t.LastTransaction.Requests;
        GenFrame& sent = PushMasterFrame(t, MasterGap::Request);
        CopyBytes(sent, request);
        // A station ignores a damaged request, so that too ends in a timeout.
        bool heard = FinishFrame(t, sent);
        t.LastTransaction.LastRequestStart = t.LastFrameStart;
        if (attempt == 0) t.LastTransaction.FirstRequestStart = t.LastFrameStart;
        if (answer == nullptr || !heard || (!t.SideDraws && Happens(t.TrafficRng, t.TimeoutChance)) ||
            (attempt == 0 && turns.DropAnswer)) {
            t.AfterTimeout = true;
            continue;
        }
        t.LastTransaction.Answer = t.FramesMade;
        GenFrame& reply = PushAnswer(t, responseBits);
        CopyBytes(reply, *answer);
        if (attempt == 0 && turns.DamageAnswer) DamageKeepingAddresses(reply, t.SideRng);
        answered = FinishFrame(t, reply);
        if (turns.DiscardAnswer) {  // the station is gone: its answer never was
            t.Queue.pop_back();
            --t.FramesMade;
            t.AfterTimeout = t.SideSlot = true;
            answered = false;
            break;
        }
    }
    t.SideDraws = false;
    t.LastTransaction.Answered = answered;
    return answered;
}

}  // namespace zelmot
