// A window begins between 15 and 40 per cent of the run's frames and lasts
// 15 to 30 per cent, so the run after it shows the way back. The
// configuration and ident faults last the whole run: the slave never
// reaches data exchange. A dropout lasts at least three polls of the
// slave, so the master retries, gives up and polls it with Slave_Diag in
// vain before it answers again. The reads fall at the window's start,
// middle and end; the services the slave lacks are asked for at its start
// and end.
#include "gen_scenarios.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <utility>
#include <vector>

#include "gen_acyclic.h"
#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint32_t kMinSilentPolls = 3;
constexpr std::uint8_t kReads = 3;
// Modules a master may wrongly expect: 1 or 2 input or output bytes, or
// one byte of both.
constexpr std::uint8_t kExtraModules[] = {0x10, 0x11, 0x20, 0x21, 0x30};

void PrepareSlave(Rng& rng, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    switch (f.Scenario) {
        case DpScenario::ExtDiag:
            f.Dpv1 = true;
            f.Dpv1Status2 = 0x20;  // diagnosis alarm enabled
            if (s.InputLength == 0) s.InputLength = 2;  // DH needs an answer with data
            break;
        case DpScenario::Dpv1Read:
            f.Dpv1 = true;
            f.RefusedJob = static_cast<std::uint8_t>(RandomBelow(rng, kReads));
            break;
        case DpScenario::CfgFault:
            f.ExtraModule = ChooseExtraModule(rng);
            f.Window.Start = 0;
            break;
        case DpScenario::WrongIdent:
            f.WrongIdent = true;
            f.PrmIdent = static_cast<std::uint16_t>(s.Ident ^ RandomIn(rng, 1, 0xFFFF));
            f.Window.Start = 0;
            break;
        case DpScenario::RsAnswer:
            f.NextDsap = RandomBelow(rng, 2) == 0 ? kSapReadInputs : kSapGetConfiguration;
            break;
        default:
            break;
    }
}

void RaiseAlarm(SlaveFaults& f, std::uint8_t appearance) {
    f.AlarmPresent = true;
    f.AlarmSpecifier = static_cast<std::uint8_t>(f.AlarmSequence << 3 | appearance);
    f.AlarmSequence = static_cast<std::uint8_t>((f.AlarmSequence + 1) & 31);
    f.ForceDh = true;
}

std::uint8_t OtherService(std::uint8_t dsap) {
    return dsap == kSapReadInputs ? kSapGetConfiguration : kSapReadInputs;
}

}  // namespace

std::uint8_t ChooseExtraModule(Rng& rng) { return kExtraModules[RandomBelow(rng, sizeof kExtraModules)]; }

ScenarioWindow PlanWindow(Rng& rng, std::uint64_t frames) {
    ScenarioWindow w;
    w.Start = frames * RandomIn(rng, 15, 40) / 100;
    w.End = w.Start + frames * RandomIn(rng, 15, 30) / 100 + 1;
    return w;
}

void ChooseChannelFault(Rng& rng, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    std::uint8_t modules[kMaxConfiguration];
    std::size_t count = SlaveConfiguration(s, modules);
    assert(count > 0);
    f.FaultModule = static_cast<std::uint8_t>(RandomBelow(rng, static_cast<std::uint32_t>(count)));
    std::uint8_t direction = (modules[f.FaultModule] & 0x30) == 0x10 ? 0x40 : 0x80;
    f.FaultChannel = static_cast<std::uint8_t>(direction | RandomBelow(rng, 8));
    f.FaultType = static_cast<std::uint8_t>(1u << 5 | RandomIn(rng, 1, 9));  // one bit wide
    f.ChannelFault = true;
}

void PlanScenarios(TrafficState& t, const GenOptions& options) {
    t.ScenarioRng = SeedRng(options.Seed, 5);
    if (options.Scenarios == 0) return;
    Rng& rng = t.ScenarioRng;
    std::uint64_t frames = std::uint64_t{options.Minutes} * options.FramesPerMinute;
    std::vector<std::size_t> order(t.Slaves.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        std::swap(order[i], order[i + RandomBelow(rng, static_cast<std::uint32_t>(order.size() - i))]);
    std::size_t next = 0;
    for (unsigned i = 0; i < kScenarioCount; ++i) {
        DpScenario scenario = static_cast<DpScenario>(i);
        if (!WantsScenario(options, scenario)) continue;
        ScenarioWindow window = PlanWindow(rng, frames);
        if (scenario == DpScenario::Clear) {
            std::size_t withSlaves = std::min(t.Masters.size(), t.Slaves.size());
            MasterState& m = t.Masters[RandomBelow(rng, static_cast<std::uint32_t>(withSlaves))];
            m.ClearChosen = true;
            m.ClearScenario = ScenarioName(DpScenario::Clear);
            m.ClearWindow = window;
            continue;
        }
        assert(next < order.size());  // the options allow no more scenarios than slaves
        SlaveState& s = t.Slaves[order[next++]];
        s.Faults.Chosen = true;
        s.Faults.Scenario = scenario;
        s.Faults.Window = window;
        PrepareSlave(rng, s);
    }
}

void AdvanceSlaveScenario(TrafficState& t, const MasterState& m, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    if (!f.Chosen) return;
    ScenarioWindow& w = f.Window;
    bool begins = !w.Started && t.FramesMade >= w.Start;
    bool ends = w.Started && !w.Ended && t.FramesMade >= w.End;
    bool exchanging = s.Phase == SlavePhase::Exchange && !s.DiagnosisPending && !f.DiagWanted && !f.Job.Active;
    switch (f.Scenario) {
        case DpScenario::Dropout:
            if (f.Silent) ++f.SilentPolls;
            if (begins && exchanging) {
                f.Silent = true;
                w.Started = true;
                // The next frame is this poll's request, which goes unanswered.
                NoteEvent(t, t.FramesMade, m, s.Address, EventKind::DropoutStart);
            } else if (ends && f.SilentPolls >= kMinSilentPolls) {
                f.Silent = false;
                f.Returning = true;
                w.Ended = true;
            }
            break;
        case DpScenario::ExtDiag:
            if (begins && exchanging) {
                ChooseChannelFault(t.ScenarioRng, s);
                RaiseAlarm(f, 1);  // appears
                w.Started = true;
            } else if (ends && exchanging && !f.AlarmPresent) {
                f.ChannelFault = false;
                RaiseAlarm(f, 2);  // disappears
                w.Ended = true;
            }
            break;
        case DpScenario::Dpv1Read:
            if (f.JobsDone < kReads && exchanging &&
                t.FramesMade >= w.Start + (w.End - w.Start) * f.JobsDone / (kReads - 1))
                QueueRead(t, s, f.JobsDone == f.RefusedJob);
            break;
        case DpScenario::RsAnswer:
            if (begins) {
                f.AskDsap = f.NextDsap;
                f.NextDsap = OtherService(f.NextDsap);
                w.Started = true;
            } else if (ends && f.AskDsap == 0) {
                f.AskDsap = f.NextDsap;
                w.Ended = true;
            }
            break;
        default:
            break;
    }
}

void AdvanceMasterControl(TrafficState& t, MasterState& m) {
    if (!m.ClearChosen || m.ControlChanged) return;
    ScenarioWindow& w = m.ClearWindow;
    if (!w.Started && t.FramesMade >= w.Start) {
        m.Control = kClearData;
        m.ControlChanged = true;
        w.Started = true;
    } else if (w.Started && !w.Ended && t.FramesMade >= w.End) {
        m.Control = 0x00;
        m.ControlChanged = true;
        w.Ended = true;
    }
}

}  // namespace zelmot
