// What the fault scenarios of --fault and the plant changes of --change
// keep: in a slave, its scenario's window and progress and the one-shot
// turns it asks of its next exchanges (an answer left out or damaged, RS,
// a restart shown in the diagnosis, another ident); for the segment, the
// frames that get a recorder artefact or a receive error; for the run,
// the exact-timing stretch and the hold-up of a master. A slave without a
// scenario keeps the defaults and behaves as ever.
#pragma once

#include <cstdint>
#include <vector>

#include "gen_book.h"
#include "gen_fault_kinds.h"
#include "gen_faults.h"
#include "gen_watchdog.h"

namespace zelmot {

struct SlaveFault {
    bool Chosen = false;
    FaultKind Kind = FaultKind::SlaveLost;
    ScenarioWindow Window;
    std::uint32_t Done = 0;          // steps of the scenario done so far
    std::uint64_t NextStep = 0;      // frame number from which the next step may come
    std::uint8_t Group = 0;          // common_cause: position among its partners (0 leads)
    std::size_t Partner = 0;         // common_cause: index of the slave that leads

    // Turns of the next exchanges.
    bool SilentUntilDrop = false;    // silent until the poll with its third unanswered request is over
    bool SilentForGood = false;
    bool AnswerRs = false;           // the next Data_Exchange is answered RS
    bool RestartShown = false;       // the next diagnosis shows the start-up bits (Prm_Req)
    std::uint8_t DropAnswers = 0;    // answers still to leave out, one per poll from NextStep
    std::uint8_t DamageAnswers = 0;  // answers still to damage, one per poll from NextStep
    bool ShowOtherIdent = false;     // the diagnosis carries OtherIdent
    std::uint16_t OtherIdent = 0;
    std::uint16_t NewIdent = 0;      // device_replaced: the ident after the return
    std::uint8_t StatDiagLeft = 0;   // diagnoses still to show Stat_Diag
    bool AskConfiguration = false;   // not_ready: a Get_Cfg after the faulty diagnosis
    // Timing (watchdog and common cause scenarios).
    std::uint32_t TargetPercent = 0;  // the held-up request interval, in per cent of the watchdog
    bool Holding = false;             // an exact-timing stretch runs from its last request
    bool Held = false;                // its held-up request has gone out
    std::uint8_t Unanswered = 0;      // clean requests in a row left unanswered, up to 3
    bool Dropped = false;             // its third unanswered request has gone out
    std::uint64_t DropNatural = 0;    // natural start of that request
};

// A recorder artefact put into the segment's traffic.
enum class SegmentArtefact : std::uint8_t { ShortGap, NegativeGap, Resync };

struct PlannedArtefact {
    std::uint64_t From = 0;  // frame number from which it is put in
    SegmentArtefact Kind = SegmentArtefact::ShortGap;
    std::uint32_t Value = 0;  // short gap: bit times; negative gap: microseconds back
};

struct SegmentFaults {
    std::vector<PlannedArtefact> Artefacts;  // in frame order, the next one first
    std::size_t NextArtefact = 0;
    std::uint64_t DamageEvery = 0;           // errors_spread: every nth frame damaged; 0 none
    std::uint64_t DamageOffset = 0;
    std::uint64_t DamageLeft = UINT64_MAX;   // how many more it may damage
    std::vector<std::uint64_t> Corrupt;      // frame numbers written with a wrong length byte
    Occurrences Placed;                      // the frames that got their artefact
};

}  // namespace zelmot
