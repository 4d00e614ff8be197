// The findings: what is wrong on the bus, judged once reading has ended
// from what the run collected (no frame is looked at here). Each rule has an
// exact definition (the manual page gives them); a finding holds its kind,
// severity, station, when it happened first and last, how often, the frames
// that show it and the figures its words need. The words -- title, probable
// cause, what to check -- are the reports' business (finding_words.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/bus_stats.h"
#include "analysis/evidence.h"
#include "analysis/gsd_match.h"

namespace zelmot {

// The numbers are the keys of the kind names (finding_words.cpp checks that
// each has a row).
enum class FindingKind : std::uint8_t {
    CaptureGap = 0,
    SlaveLost = 1,
    CommonCause = 2,
    SlaveRestart = 3,
    WatchdogExpired = 4,
    WatchdogTight = 5,
    NotReady = 6,
    Diagnosis = 7,
    ErrorsLocal = 8,
    ErrorsSpread = 9,
    Retries = 10,
    SlowAnswers = 11,
    NegativeAnswers = 12,
    DoubleAddress = 13,
    DeviceReplaced = 14,
    MasterClear = 15,
    BusSilent = 16,
    UnknownFrames = 17,
};
constexpr std::size_t kFindingKindCount = 18;

enum class Severity : std::uint8_t { Fault = 0, Warning = 1, Note = 2 };
constexpr std::size_t kSeverityCount = 3;

// The thresholds of the rules.
constexpr std::int64_t kNearArtefactNs = 10'000'000;    // an evidence frame this close to an artefact
constexpr std::int64_t kCommonCauseNs = 100'000'000;    // drops within this time of the first
constexpr std::uint64_t kLocalErrorsMin = 5;            // damaged frames of one station
constexpr std::uint64_t kLocalErrorsFactor = 10;        // its share against the others'
constexpr std::uint64_t kSpreadPerMille = 1;            // damaged frames of all, per 1,000
constexpr std::uint64_t kRetriesMin = 3;                // retries of a slave
constexpr std::uint64_t kRetriesPerMille = 1;           // retried requests of a slave, per 1,000
constexpr unsigned kSlotTimePercent = 80;               // a slowest answer against the slot time
constexpr std::int64_t kBusSilentNs = 1'000'000'000;    // no frame for longer than this
constexpr std::uint64_t kUnknownPerMille = 1;           // unknown frames of the undamaged, per 1,000
constexpr std::uint64_t kUnknownMin = 5;
constexpr std::uint8_t kNewSlaveAddress = 126;          // where new slaves wait for their address

// capture_gap has one finding for each kind of artefact.
enum class ArtefactKind : std::uint8_t { Resync, ClockStep, ShortGap };

struct Finding {
    FindingKind Kind = FindingKind::CaptureGap;
    Severity Level = Severity::Fault;
    std::int16_t Address = -1;  // the station; -1: the segment
    std::int64_t FirstNs = 0;
    std::int64_t LastNs = 0;
    std::uint64_t Count = 0;
    Evidence Frames;
    bool NearArtefact = false;  // an evidence frame lies within kNearArtefactNs of an artefact

    // The figures the words read, by kind.
    ArtefactKind Artefact = ArtefactKind::Resync;  // capture_gap
    const DpDrop* Drop = nullptr;  // slave_lost, slave_restart, watchdog_expired: the first drop
    std::uint64_t CameBack = 0;    // of those drops, how many returned to data exchange
    std::vector<std::uint8_t> Slaves;  // common_cause: of the first cluster; master_clear: addressed in CLEAR
    std::int64_t SpreadNs = 0;         // common_cause: from the first drop of the first cluster to its last
    std::uint8_t Master = 0xFF;        // watchdog_*: the slave's master; slow_answers: whose slot time
    std::int64_t IntervalNs = 0;       // watchdog_expired: the interval of the first drop; _tight: the longest
    std::int64_t LongestNs = 0;        // watchdog_expired: the longest interval seen, in exchange or at a drop
    std::int64_t WatchdogNs = 0;
    std::size_t Index = 0;             // diagnosis: which of the slave's Diagnoses
    std::uint64_t Part = 0;            // errors_*: damaged frames; retries: retries; unknown_frames: unknown;
                                       // common_cause: the groups of drops (Count: the drops)
    std::uint64_t Whole = 0;           // errors_local: its frames; errors_spread: all frames; retries: requests
    std::uint64_t RestPart = 0;        // errors_local: damaged frames of the others
    std::uint64_t RestWhole = 0;       // errors_local: frames of the others
    bool GsdLimit = false;             // slow_answers: above the GSD's MaxTsdr
    std::uint16_t MaxTsdrBits = 0;
    bool SlotLimit = false;            // slow_answers: above kSlotTimePercent of the slot time
    std::int64_t SlotNs = 0;
    std::uint64_t SlotSamples = 0;
    std::int64_t SlowestNs = 0;        // slow_answers: the slowest answer
    FrameRef From;                     // master_clear: its first period; bus_silent: the silence
    FrameRef To;
};

// A finding of kind and severity at address (-1: the segment), and one
// spanning occurrences: their first and last time, count and first frames.
Finding StartFinding(FindingKind kind, Severity level, int address);
Finding FindingOver(FindingKind kind, Severity level, int address, const Occurrences& occurrences);

struct Verdict {
    std::uint64_t Faults = 0;
    std::uint64_t Warnings = 0;
    std::uint64_t Notes = 0;
};

// Every finding of a run, sorted by severity, then first_ns. The findings
// point into stats, which must outlive them.
std::vector<Finding> FindFindings(const BusStats& stats, const GsdMatches& matches);

Verdict VerdictOf(const std::vector<Finding>& findings);

// Whether the worst finding is at least as bad as level.
bool HasFindingAtLeast(const std::vector<Finding>& findings, Severity level);

}  // namespace zelmot
