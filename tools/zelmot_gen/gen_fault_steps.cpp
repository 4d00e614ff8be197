// A scenario begins at the first poll in its window that finds its slave in
// data exchange with nothing pending. Scenarios that repeat (answers left
// out or damaged, diagnoses, idents, negative answers) spread their steps
// over the window. Scenarios that need the time exact (the watchdog ones,
// common_cause) begin only where the next token rotations stay inside the
// minute: from the slave's request at that poll to the request they hold
// back, no frame gets spare time, so the natural clock is the real one and
// the held-up request starts exactly when wanted.
#include "gen_fault_steps.h"

#include "gen_acyclic.h"
#include "gen_fault_plan.h"
#include "gen_scenarios.h"
#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint64_t kNearCommonCauseUs = 150000;  // the near miss's second drop, after the first
constexpr std::uint32_t kDiagnosisSteps = 5;          // three Ext_Diag, one Stat_Diag spell, the end
constexpr std::uint32_t kIdentSteps = 4;              // the other ident, its own, the other, its own

bool Healthy(const SlaveState& s) {
    const SlaveFaults& f = s.Faults;
    return s.Phase == SlavePhase::Exchange && !s.DiagnosisPending && !f.DiagWanted && !f.Job.Active && f.AskDsap == 0 &&
           !s.Fault.SilentUntilDrop && !s.Fault.SilentForGood;
}

// Whether four token rotations from now stay inside the current minute.
bool RoomInMinute(const TrafficState& t) {
    std::uint64_t rotation = 2 * t.Slaves.size() + 2 * t.Masters.size() + 10;
    return t.FramesMade % t.FramesPerMinute + 4 * rotation < t.FramesPerMinute;
}

std::uint64_t TicksOfUs(const TrafficState& t, std::uint64_t us) { return us * t.Bus.TicksPerSecond / 1000000; }

// The frames between the steps of a scenario that takes steps steps.
std::uint64_t StepSpacing(const ScenarioWindow& w, std::uint32_t steps) { return (w.End - w.Start) / (steps + 1) + 1; }

// Whether the next step of a repeating scenario is due.
bool StepDue(const TrafficState& t, const SlaveState& s) {
    return Healthy(s) && t.FramesMade >= s.Fault.NextStep && t.FramesMade < s.Fault.Window.End;
}

void NextStep(SlaveFault& f, std::uint32_t steps) {
    f.Window.Started = true;
    ++f.Done;
    f.NextStep += StepSpacing(f.Window, steps);
}

bool Begins(const TrafficState& t, const SlaveState& s) {
    return !s.Fault.Window.Started && t.FramesMade >= s.Fault.Window.Start && Healthy(s);
}

void SilenceGroup(TrafficState& t, std::size_t lead) {
    for (SlaveState& other : t.Slaves)
        if (other.Fault.Chosen && other.Fault.Partner == lead && other.Fault.Kind == t.Slaves[lead].Fault.Kind)
            other.Fault.SilentUntilDrop = true;
    ++t.ExactStretches;
}

void AdvanceCommonCause(TrafficState& t, SlaveState& s) {
    SlaveFault& f = s.Fault;
    const SlaveFault& lead = t.Slaves[f.Partner].Fault;
    if (f.Group == 0 && Begins(t, s) && RoomInMinute(t)) {
        f.Window.Started = true;
        SilenceGroup(t, f.Partner);
    } else if (f.Kind == FaultKind::CommonCauseNear && f.Group == 1 && f.SilentUntilDrop && f.Unanswered == 2 &&
               lead.Dropped && !f.Held) {
        t.HoldUntil = lead.DropNatural + TicksOfUs(t, kNearCommonCauseUs);
        f.Held = true;
    }
}

void AdvanceWatchdog(TrafficState& t, SlaveState& s) {
    SlaveFault& f = s.Fault;
    if (Begins(t, s) && RoomInMinute(t)) {
        f.Window.Started = true;
        f.Holding = true;
        ++t.ExactStretches;
    } else if (f.Holding && Healthy(s)) {
        f.Holding = false;
        f.Held = true;
        t.HoldUntil = s.LastRequestNatural + TicksOfUs(t, std::uint64_t{WatchdogMs(s.Wd)} * 10 * f.TargetPercent);
        f.AnswerRs = f.Kind == FaultKind::WatchdogExpired || f.Kind == FaultKind::WatchdogExpiredNear;
    }
}

void StepDiagnosis(TrafficState& t, SlaveState& s) {
    SlaveFault& f = s.Fault;
    if (f.Done + 1 >= kDiagnosisSteps || !StepDue(t, s)) return;
    if (f.Done == 0) ChooseChannelFault(t.ScenarioRng, s);
    if (f.Done == 3) {
        s.Faults.ChannelFault = false;
        f.StatDiagLeft = 2;
    }
    s.Faults.ForceDh = true;
    NextStep(f, kDiagnosisSteps);
}

void StepAnswers(TrafficState& t, SlaveState& s) {
    SlaveFault& f = s.Fault;
    std::uint8_t& left = f.DamageAnswers != 0 ? f.DamageAnswers : f.DropAnswers;
    if (left == 0 || !StepDue(t, s)) return;
    if (f.DamageAnswers != 0) {
        t.Turns.DamageAnswer = true;
    } else {
        t.Turns.DropAnswer = true;
    }
    --left;
    NextStep(f, left + f.Done + 1);
}

void StepNegative(TrafficState& t, SlaveState& s) {
    SlaveFault& f = s.Fault;
    if (f.Done >= 3 || !StepDue(t, s)) return;
    if (f.Done == 0) s.Faults.AskDsap = kSapReadInputs;
    if (f.Done == 1) s.Faults.AskDsap = kSapGetConfiguration;
    if (f.Done == 2) QueueRead(t, s, true);
    NextStep(f, 3);
}

void StepIdent(TrafficState& t, SlaveState& s) {
    SlaveFault& f = s.Fault;
    if (f.Done >= kIdentSteps || !StepDue(t, s)) return;
    f.ShowOtherIdent = f.Done % 2 == 0;
    s.Faults.ForceDh = true;
    NextStep(f, kIdentSteps);
}

}  // namespace

void AdvanceFault(TrafficState& t, const MasterState& m, SlaveState& s) {
    (void)m;
    SlaveFault& f = s.Fault;
    if (!f.Chosen) return;
    switch (f.Kind) {
        case FaultKind::SlaveLost:
        case FaultKind::SlaveLostForGood:
        case FaultKind::DeviceReplaced:
            if (!Begins(t, s)) return;
            f.Window.Started = true;
            (f.Kind == FaultKind::SlaveLostForGood ? f.SilentForGood : f.SilentUntilDrop) = true;
            return;
        case FaultKind::CommonCause:
        case FaultKind::CommonCauseNear:
            AdvanceCommonCause(t, s);
            return;
        case FaultKind::SlaveRestart:
        case FaultKind::SlaveRestartDiag:
            if (!Begins(t, s)) return;
            f.Window.Started = true;
            if (f.Kind == FaultKind::SlaveRestart) {
                f.AnswerRs = true;
            } else {
                f.RestartShown = true;
                s.Faults.ForceDh = true;
            }
            return;
        case FaultKind::WatchdogExpired:
        case FaultKind::WatchdogExpiredNear:
        case FaultKind::WatchdogTight:
        case FaultKind::WatchdogTightNear:
            AdvanceWatchdog(t, s);
            return;
        case FaultKind::Diagnosis:
            StepDiagnosis(t, s);
            return;
        case FaultKind::ErrorsLocal:
        case FaultKind::ErrorsLocalNear:
        case FaultKind::Retries:
        case FaultKind::RetriesNear:
        case FaultKind::SlowAnswers:
            StepAnswers(t, s);
            return;
        case FaultKind::NegativeAnswers:
            StepNegative(t, s);
            return;
        case FaultKind::DoubleAddress:
            StepIdent(t, s);
            return;
        default:
            return;
    }
}

void AfterFaultExchange(TrafficState& t, const MasterState& m, SlaveState& s) {
    (void)m;
    SlaveFault& f = s.Fault;
    if (!f.Chosen) return;
    const TransactionFrames& tr = t.LastTransaction;
    for (unsigned attempt = 0; attempt < tr.Requests; ++attempt) {
        if (MadeFrame(t, AttemptFrame(tr, attempt)).Status != 0) continue;  // no request to a reader
        if (AttemptAnswered(tr, attempt)) {
            f.Unanswered = 0;
        } else if (f.Unanswered < 3 && ++f.Unanswered == 3 && !f.Dropped) {
            f.Dropped = true;
            f.DropNatural = attempt == 0 ? tr.FirstRequestStart : tr.LastRequestStart;
        }
    }
    if (f.SilentUntilDrop && f.Dropped) {  // the poll that shows the drop is over
        f.SilentUntilDrop = false;
        if (f.Kind == FaultKind::DeviceReplaced) s.Ident = f.NewIdent;
    }
    bool watchdog = f.TargetPercent != 0;
    if (watchdog && f.Held && f.Done == 0) {  // the held-up request has gone out
        f.Done = 1;
        --t.ExactStretches;
    }
    SlaveFault& lead = t.Slaves[f.Partner].Fault;
    if ((f.Kind == FaultKind::CommonCause || f.Kind == FaultKind::CommonCauseNear) && lead.Window.Started &&
        lead.Done == 0) {
        bool all = true;
        for (const SlaveState& other : t.Slaves)
            if (other.Fault.Chosen && other.Fault.Partner == f.Partner && other.Fault.Kind == f.Kind)
                all = all && other.Fault.Dropped;
        if (all) {
            lead.Done = 1;
            --t.ExactStretches;
        }
    }
}

}  // namespace zelmot
