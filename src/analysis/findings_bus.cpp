// The bus and recorder rules, each over the figures of the window:
//   capture_gap    resynchronisations, negative gaps, gaps of 0 up to 10 bit
//                  times: one finding each (the recorder, not the bus)
//   errors_local   a station's frames: at least 5 damaged, and a damaged
//                  share at least 10 times that of all other frames
//   errors_spread  at least 0.1% of all frames damaged, no errors_local
//   retries        a slave with at least 3 retries and 0.1% of its requests
//   slow_answers   a slave slower than its GSD's MaxTsdr, or whose slowest
//                  answer exceeds 80% of its master's slot time as the bus
//                  shows it
//   bus_silent     no frame for more than a second
//   unknown_frames at least 0.1% (and 5) of the undamaged frames of no kind
#include "analysis/findings_bus.h"

namespace zelmot {
namespace {

__extension__ typedef unsigned __int128 Wide;

void FindArtefacts(const BusStats& stats, std::vector<Finding>& findings) {
    const CaptureArtefacts& a = stats.Artefacts;
    const std::pair<const Occurrences*, ArtefactKind> kinds[] = {
        {&a.Resyncs, ArtefactKind::Resync}, {&a.ClockSteps, ArtefactKind::ClockStep}, {&a.ShortGaps, ArtefactKind::ShortGap}};
    for (const auto& [occurrences, kind] : kinds) {
        if (occurrences->Count == 0) continue;
        Finding finding = FindingOver(FindingKind::CaptureGap, Severity::Warning, -1, *occurrences);
        finding.Artefact = kind;
        findings.push_back(finding);
    }
}

// part / whole >= factor x restPart / restWhole, without division.
bool ShareAtLeast(std::uint64_t part, std::uint64_t whole, std::uint64_t factor, std::uint64_t restPart,
                  std::uint64_t restWhole) {
    return Wide{part} * restWhole >= Wide{factor} * restPart * whole;
}

bool FindLocalErrors(const BusStats& stats, std::vector<Finding>& findings) {
    bool any = false;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& s = stats.Stations[a];
        const std::uint64_t damaged = s.Damaged.Count;
        if (damaged < kLocalErrorsMin || s.FramesSent == 0) continue;
        const std::uint64_t restDamaged = stats.ErrorFrames - damaged;
        const std::uint64_t restFrames = stats.Frames - s.FramesSent;
        if (!ShareAtLeast(damaged, s.FramesSent, kLocalErrorsFactor, restDamaged, restFrames)) continue;
        Finding finding = FindingOver(FindingKind::ErrorsLocal, Severity::Fault, static_cast<int>(a), s.Damaged);
        finding.Part = damaged;
        finding.Whole = s.FramesSent;
        finding.RestPart = restDamaged;
        finding.RestWhole = restFrames;
        findings.push_back(finding);
        any = true;
    }
    return any;
}

void FindSpreadErrors(const BusStats& stats, std::vector<Finding>& findings) {
    if (stats.ErrorFrames == 0 || stats.ErrorFrames * 1000 < kSpreadPerMille * stats.Frames) return;
    Finding finding = FindingOver(FindingKind::ErrorsSpread, Severity::Fault, -1, stats.Damaged);
    finding.Part = stats.ErrorFrames;
    finding.Whole = stats.Frames;
    findings.push_back(finding);
}

void FindRetries(const BusStats& stats, std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const SlaveFigures& slave = stats.Stations[a].Slave;
        if (slave.Retries < kRetriesMin || slave.Retries * 1000 < kRetriesPerMille * slave.Requests) continue;
        Finding finding = FindingOver(FindingKind::Retries, Severity::Warning, static_cast<int>(a), slave.Retried);
        finding.Part = slave.Retries;
        finding.Whole = slave.Requests;
        findings.push_back(finding);
    }
}

// The master whose slot time a slave's answers are held against: its own
// master when the bus showed that one's slot time, else the master the bus
// showed it for most often; kStationCount when none.
std::size_t SlotMasterOf(const BusStats& stats, const StationStats& slave) {
    const std::uint8_t own = slave.Dp.PrmMaster;
    if (own < kStationCount && stats.Stations[own].Master.SlotSamples > 0) return own;
    std::size_t best = kStationCount;
    for (std::size_t m = 0; m < kStationCount; ++m) {
        const std::uint64_t samples = stats.Stations[m].Master.SlotSamples;
        if (samples > 0 && (best == kStationCount || samples > stats.Stations[best].Master.SlotSamples)) best = m;
    }
    return best;
}

void FindSlowAnswers(const BusStats& stats, const GsdMatches& matches, std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& s = stats.Stations[a];
        const DurationStats& response = s.Slave.Response;
        if (response.Count == 0) continue;
        Finding finding = StartFinding(FindingKind::SlowAnswers, Severity::Warning, static_cast<int>(a));
        finding.SlowestNs = response.Max;
        const GsdSlaveMatch& match = matches.Slaves[a];
        if (match.MaxTsdrBits && match.SlowAnswers > 0) {
            finding.GsdLimit = true;
            finding.MaxTsdrBits = *match.MaxTsdrBits;
            finding.Count = match.SlowAnswers;
        }
        const std::size_t master = SlotMasterOf(stats, s);
        if (master < kStationCount) {
            const MasterFigures& m = stats.Stations[master].Master;
            if (Wide{static_cast<std::uint64_t>(response.Max)} * 100 > Wide{static_cast<std::uint64_t>(m.SlotNs)} * kSlotTimePercent) {
                finding.SlotLimit = true;
                finding.Master = static_cast<std::uint8_t>(master);
                finding.SlotNs = m.SlotNs;
                finding.SlotSamples = m.SlotSamples;
                const double limitBits = NsToBits(static_cast<double>(m.SlotNs) * kSlotTimePercent / 100.0, stats.Baud);
                const std::uint64_t above = SlowAnswerCount(response, static_cast<std::uint16_t>(
                                                                          std::min(limitBits, 65535.0)), stats.Baud);
                if (above > finding.Count) finding.Count = above;
            }
        }
        if (!finding.GsdLimit && !finding.SlotLimit) continue;
        if (finding.Count == 0) finding.Count = 1;
        AddEvidence(finding.Frames, s.Slave.SlowestAnswer);
        if (finding.SlotLimit) AddEvidence(finding.Frames, stats.Stations[finding.Master].Master.SlotRetry);
        finding.FirstNs = finding.LastNs = s.Slave.SlowestAnswer.Ns;
        findings.push_back(finding);
    }
}

void FindSilence(const BusStats& stats, std::vector<Finding>& findings) {
    const Silence& silence = stats.LongestSilence;
    if (silence.Ns <= kBusSilentNs) return;
    Finding finding = StartFinding(FindingKind::BusSilent, Severity::Warning, -1);
    finding.Count = 1;
    finding.FirstNs = silence.Before.Ns;
    finding.LastNs = silence.After.Ns;
    finding.From = silence.Before;
    finding.To = silence.After;
    finding.IntervalNs = silence.Ns;
    AddEvidence(finding.Frames, silence.Before);
    AddEvidence(finding.Frames, silence.After);
    findings.push_back(finding);
}

void FindUnknownFrames(const BusStats& stats, std::vector<Finding>& findings) {
    const std::uint64_t clean = stats.Frames - stats.ErrorFrames;
    if (stats.UnknownFrames < kUnknownMin || stats.UnknownFrames * 1000 < kUnknownPerMille * clean) return;
    Finding finding = FindingOver(FindingKind::UnknownFrames, Severity::Warning, -1, stats.Unknown);
    finding.Part = stats.UnknownFrames;
    finding.Whole = clean;
    findings.push_back(finding);
}

}  // namespace

void FindBusFindings(const BusStats& stats, const GsdMatches& matches, std::vector<Finding>& findings) {
    FindArtefacts(stats, findings);
    if (!FindLocalErrors(stats, findings)) FindSpreadErrors(stats, findings);
    FindRetries(stats, findings);
    FindSlowAnswers(stats, matches, findings);
    FindSilence(stats, findings);
    FindUnknownFrames(stats, findings);
}

}  // namespace zelmot
