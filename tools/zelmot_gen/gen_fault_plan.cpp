// The seed's choices for --fault, made once from a stream of their own:
// slaves in a shuffled order (those of the DP scenarios left out), the
// first that fits each scenario; windows as the DP scenarios have them. A
// watchdog scenario gives its slave a quarter of the run's watchdog, so
// that holding the master up for it leaves every other slave's interval
// under half of its own. The recorder artefacts of capture_gap spread over
// its window; its damaged records keep the spacing a reader needs.
#include "gen_fault_plan.h"

#include <algorithm>
#include <numeric>

#include "gen_scenarios.h"
#include "gen_slave_link.h"
#include "gen_stream.h"

namespace zelmot {
namespace {

constexpr std::uint64_t kPlanStream = 6;

struct Picker {
    std::vector<std::size_t> Order;  // slave indices, shuffled
    std::vector<bool> Taken;
};

Picker MakePicker(const TrafficState& t, Rng& rng) {
    Picker p;
    p.Order.resize(t.Slaves.size());
    std::iota(p.Order.begin(), p.Order.end(), std::size_t{0});
    for (std::size_t i = 0; i + 1 < p.Order.size(); ++i)
        std::swap(p.Order[i], p.Order[i + RandomBelow(rng, static_cast<std::uint32_t>(p.Order.size() - i))]);
    p.Taken.resize(t.Slaves.size());
    for (std::size_t i = 0; i < t.Slaves.size(); ++i) p.Taken[i] = t.Slaves[i].Faults.Chosen;
    return p;
}

// The first free slave, one with inputs when there is one and it is wanted.
std::size_t PickSlave(const TrafficState& t, Picker& p, bool wantsInputs) {
    std::size_t found = kNoEntry;
    for (std::size_t i : p.Order) {
        if (p.Taken[i]) continue;
        if (found == kNoEntry) found = i;
        if (!wantsInputs || t.Slaves[i].InputLength > 0) {
            found = i;
            break;
        }
    }
    if (found != kNoEntry) p.Taken[found] = true;
    return found;
}

// count free slaves next to each other in one master's poll list, the
// first of them the earliest in the shuffled order that has such neighbours.
std::vector<std::size_t> PickNeighbours(const TrafficState& t, Picker& p, std::size_t count) {
    for (std::size_t first : p.Order) {
        const std::vector<std::size_t>& list = t.Masters[t.Slaves[first].MasterIndex].Slaves;
        std::size_t at = static_cast<std::size_t>(std::find(list.begin(), list.end(), first) - list.begin());
        if (at + count > list.size()) continue;
        std::vector<std::size_t> picked(list.begin() + static_cast<std::ptrdiff_t>(at),
                                        list.begin() + static_cast<std::ptrdiff_t>(at + count));
        if (std::any_of(picked.begin(), picked.end(), [&](std::size_t i) { return p.Taken[i]; })) continue;
        for (std::size_t i : picked) p.Taken[i] = true;
        return picked;
    }
    return {};
}

// The first frame number from n on that a damaged record may have: at least
// kCorruptSpacing records into its minute and kCorruptTail before its end,
// and kCorruptSpacing after the one before.
std::uint64_t CorruptibleFrom(std::uint64_t n, std::uint64_t perMinute, std::uint64_t after) {
    n = std::max(n, after);
    for (;;) {
        std::uint64_t inMinute = n % perMinute;
        if (inMinute < kCorruptSpacing) {
            n += kCorruptSpacing - inMinute;
        } else if (inMinute + kCorruptTail >= perMinute) {
            n += perMinute - inMinute + kCorruptSpacing;
        } else {
            return n;
        }
    }
}

struct ArtefactStep {
    SegmentArtefact Kind;
    std::uint32_t Value;
};

// Short gaps of 0 up to 10 bit times, the clock stepping back 1 ms and
// 0.25 ms, and two resynchronisations; the near miss: five gaps of exactly
// 11 bit times.
constexpr ArtefactStep kArtefacts[] = {
    {SegmentArtefact::ShortGap, 0},      {SegmentArtefact::NegativeGap, 1000}, {SegmentArtefact::ShortGap, 3},
    {SegmentArtefact::Resync, 0},        {SegmentArtefact::ShortGap, 5},       {SegmentArtefact::NegativeGap, 250},
    {SegmentArtefact::ShortGap, 8},      {SegmentArtefact::Resync, 0},         {SegmentArtefact::ShortGap, 10},
};
constexpr ArtefactStep kNearArtefacts[] = {
    {SegmentArtefact::ShortGap, 11}, {SegmentArtefact::ShortGap, 11}, {SegmentArtefact::ShortGap, 11},
    {SegmentArtefact::ShortGap, 11}, {SegmentArtefact::ShortGap, 11},
};

template <std::size_t N>
void PlanArtefacts(TrafficState& t, const ScenarioWindow& w, const ArtefactStep (&steps)[N], std::uint64_t frames) {
    SegmentFaults& s = t.Segment;
    std::uint64_t step = std::max<std::uint64_t>(1, (w.End - w.Start) / N);
    std::uint64_t afterCorrupt = 0;
    for (std::size_t k = 0; k < N; ++k) {
        std::uint64_t at = w.Start + k * step;
        if (steps[k].Kind != SegmentArtefact::Resync) {
            s.Artefacts.push_back(PlannedArtefact{at, steps[k].Kind, steps[k].Value});
            continue;
        }
        if (t.FramesPerMinute <= kCorruptSpacing + kCorruptTail) continue;  // no room in a minute
        at = CorruptibleFrom(at, t.FramesPerMinute, afterCorrupt);
        if (at + 1 >= frames) continue;
        s.Corrupt.push_back(at);
        afterCorrupt = at + kCorruptSpacing;
    }
    std::stable_sort(s.Artefacts.begin(), s.Artefacts.end(),
                     [](const PlannedArtefact& a, const PlannedArtefact& b) { return a.From < b.From; });
}

void PlanSegment(TrafficState& t, FaultKind kind, const ScenarioWindow& w, Rng& rng, std::uint64_t frames) {
    switch (kind) {
        case FaultKind::CaptureGap:
            PlanArtefacts(t, w, kArtefacts, frames);
            break;
        case FaultKind::CaptureGapNear:
            PlanArtefacts(t, w, kNearArtefacts, frames);
            break;
        case FaultKind::ErrorsSpread:
        case FaultKind::ErrorsSpreadNear:
            t.Segment.DamageEvery = kind == FaultKind::ErrorsSpread ? 500 : 1250;
            t.Segment.DamageOffset = RandomBelow(rng, static_cast<std::uint32_t>(t.Segment.DamageEvery));
            // The near miss stays under one in a thousand of the frames a reader gets.
            if (kind == FaultKind::ErrorsSpreadNear) t.Segment.DamageLeft = (frames - 2) / 1000;
            break;
        default:
            break;
    }
}

bool PlanMaster(TrafficState& t, FaultKind kind, ScenarioWindow w, Rng& rng) {
    std::size_t withSlaves = std::min(t.Masters.size(), t.Slaves.size());
    std::size_t first = RandomBelow(rng, static_cast<std::uint32_t>(withSlaves));
    for (std::size_t k = 0; k < withSlaves; ++k) {
        MasterState& m = t.Masters[(first + k) % withSlaves];
        if (m.ClearChosen) continue;
        if (kind == FaultKind::MasterClearToEnd) w.End = UINT64_MAX;
        m.ClearChosen = true;
        m.ClearScenario = FaultName(kind);
        m.ClearWindow = w;
        return true;
    }
    return false;
}

void PrepareSlave(TrafficState& t, SlaveState& s, Rng& rng) {
    SlaveFault& f = s.Fault;
    std::uint32_t quarter = WatchdogMs(s.Wd) / 4;
    switch (f.Kind) {
        case FaultKind::WatchdogExpired:
        case FaultKind::WatchdogExpiredNear:
            // On the 1 ms base, which DPV1_Status_1 carries: the slave runs in DP-V1 mode.
            s.Wd = WatchdogAtLeast(quarter, true);
            s.Faults.Dpv1 = true;
            break;
        case FaultKind::WatchdogTight:
        case FaultKind::WatchdogTightNear:
            s.Wd = WatchdogAtLeast(quarter);
            break;
        case FaultKind::NotReady:
            s.Faults.ExtraModule = ChooseExtraModule(rng);
            break;
        case FaultKind::Diagnosis:
        case FaultKind::ErrorsLocal:
        case FaultKind::ErrorsLocalNear:
        case FaultKind::SlaveRestartDiag:
        case FaultKind::DoubleAddress:
            // Answers that carry its address, and DH to ask for a diagnosis.
            if (s.InputLength == 0) s.InputLength = 2;
            f.DamageAnswers = f.Kind == FaultKind::ErrorsLocal ? 8 : f.Kind == FaultKind::ErrorsLocalNear ? 4 : 0;
            if (f.Kind == FaultKind::DoubleAddress)
                f.OtherIdent = static_cast<std::uint16_t>(s.Ident ^ RandomIn(rng, 1, 0xFFFF));
            break;
        case FaultKind::Retries:
        case FaultKind::RetriesNear:
            f.DropAnswers = f.Kind == FaultKind::Retries ? 6 : 2;
            break;
        case FaultKind::SlowAnswers:
            // Just under the slot time with the answer's jitter of up to 7 bit times.
            s.ResponseBits = static_cast<std::uint16_t>(t.Bus.SlotBits - 8);
            f.DropAnswers = 2;
            break;
        case FaultKind::NegativeAnswers:
            s.Faults.Dpv1 = true;  // for its DP-V1 read
            break;
        case FaultKind::DeviceReplaced:
            f.NewIdent = static_cast<std::uint16_t>(s.Ident ^ RandomIn(rng, 1, 0xFFFF));
            break;
        default:
            break;
    }
}

// Whether the drops of three neighbours would spread over more than 60 ms:
// the second and third each come after two unanswered requests (a frame,
// the slot time, the idle time) of the one before.
bool SlowDrops(const BusProfile& bus) {
    constexpr std::uint64_t kRequestBits = 12 * kBitsPerCharacter + kSyncBits + 42;
    std::uint64_t bitsPerSecond = bus.TicksPerSecond / bus.TicksPerBit;
    return 4 * (kRequestBits + bus.SlotBits) * 1000 / bitsPerSecond > 60;
}

Outcome PlanSlaves(TrafficState& t, FaultKind kind, const ScenarioWindow& w, Picker& p, Rng& rng) {
    std::vector<std::size_t> picked;
    if (kind == FaultKind::CommonCause || kind == FaultKind::CommonCauseNear) {
        picked = PickNeighbours(t, p, kind == FaultKind::CommonCause && SlowDrops(t.Bus) ? 2 : FaultInfoOf(kind).Slaves);
        if (picked.empty() && kind == FaultKind::CommonCause) picked = PickNeighbours(t, p, 2);
        if (picked.empty())
            return ErrorText("--fault %s needs two free slaves next to each other in one master's poll list",
                             FaultName(kind));
    } else {
        bool inputs = kind == FaultKind::Diagnosis || kind == FaultKind::ErrorsLocal ||
                      kind == FaultKind::ErrorsLocalNear || kind == FaultKind::SlaveRestartDiag ||
                      kind == FaultKind::DoubleAddress;
        picked.push_back(PickSlave(t, p, inputs));
    }
    for (std::size_t k = 0; k < picked.size(); ++k) {
        SlaveState& s = t.Slaves[picked[k]];
        s.Fault.Chosen = true;
        s.Fault.Kind = kind;
        s.Fault.Window = w;
        s.Fault.NextStep = w.Start;
        s.Fault.Group = static_cast<std::uint8_t>(k);
        s.Fault.Partner = picked[0];
        s.Fault.TargetPercent = HoldPercent(kind);
        PrepareSlave(t, s, rng);
    }
    return Success();
}

}  // namespace

std::uint32_t HoldPercent(FaultKind kind) {
    switch (kind) {
        case FaultKind::WatchdogExpired: return 120;
        case FaultKind::WatchdogExpiredNear: return 95;
        case FaultKind::WatchdogTight: return 60;
        case FaultKind::WatchdogTightNear: return 49;
        default: return 0;
    }
}

Outcome PlanFaults(TrafficState& t, const GenOptions& options) {
    if (options.Faults == 0) return Success();
    Rng rng = SeedRng(options.Seed, kPlanStream);
    std::uint64_t frames = std::uint64_t{options.Minutes} * options.FramesPerMinute;
    Picker picker = MakePicker(t, rng);
    for (unsigned i = 0; i < kFaultCount; ++i) {
        FaultKind kind = static_cast<FaultKind>(i);
        if (!WantsFault(options, kind)) continue;
        ScenarioWindow window = PlanWindow(rng, frames);
        switch (FaultInfoOf(kind).Target) {
            case FaultTarget::Segment:
                PlanSegment(t, kind, window, rng, frames);
                break;
            case FaultTarget::Master:
                if (!PlanMaster(t, kind, window, rng)) return ErrorText("no master left for --fault %s", FaultName(kind));
                break;
            case FaultTarget::Slaves: {
                Outcome planned = PlanSlaves(t, kind, window, picker, rng);
                if (!planned.IsOk()) return planned;
                break;
            }
        }
    }
    return Success();
}

}  // namespace zelmot
