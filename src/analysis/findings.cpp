// The findings of a run: the rules of the bus and of the DP layer, each
// finding marked when a frame it cites lies near one of the recorder's
// artefacts, then sorted: faults first, then warnings, then notes, each by
// the time they began.
#include "analysis/findings.h"

#include <algorithm>
#include <tuple>

#include "analysis/findings_bus.h"
#include "analysis/findings_dp.h"

namespace zelmot {
namespace {

bool NearArtefact(const Finding& finding, const TimeSpans& artefacts) {
    for (std::size_t i = 0; i < finding.Frames.Kept; ++i)
        if (NearSpans(artefacts, finding.Frames.Frames[i].Ns, kNearArtefactNs)) return true;
    return false;
}

}  // namespace

std::vector<Finding> FindFindings(const BusStats& stats, const GsdMatches& matches) {
    std::vector<Finding> findings;
    FindBusFindings(stats, matches, findings);
    FindDpFindings(stats, findings);
    for (Finding& finding : findings) {
        // The evidence in the order of the frames.
        std::sort(finding.Frames.Frames.begin(), finding.Frames.Frames.begin() + finding.Frames.Kept,
                  [](const FrameRef& a, const FrameRef& b) { return a.Reference < b.Reference; });
        if (finding.Kind != FindingKind::CaptureGap) finding.NearArtefact = NearArtefact(finding, stats.Artefacts.Spans);
    }
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return std::tuple(a.Level, a.FirstNs, a.Kind, a.Address) < std::tuple(b.Level, b.FirstNs, b.Kind, b.Address);
    });
    return findings;
}

Finding StartFinding(FindingKind kind, Severity level, int address) {
    Finding finding;
    finding.Kind = kind;
    finding.Level = level;
    finding.Address = static_cast<std::int16_t>(address);
    return finding;
}

Finding FindingOver(FindingKind kind, Severity level, int address, const Occurrences& occurrences) {
    Finding finding = StartFinding(kind, level, address);
    finding.FirstNs = occurrences.FirstNs;
    finding.LastNs = occurrences.LastNs;
    finding.Count = occurrences.Count;
    finding.Frames = occurrences.First;
    return finding;
}

Verdict VerdictOf(const std::vector<Finding>& findings) {
    Verdict verdict;
    for (const Finding& finding : findings) {
        if (finding.Level == Severity::Fault) ++verdict.Faults;
        else if (finding.Level == Severity::Warning) ++verdict.Warnings;
        else ++verdict.Notes;
    }
    return verdict;
}

bool HasFindingAtLeast(const std::vector<Finding>& findings, Severity level) {
    return std::any_of(findings.begin(), findings.end(), [level](const Finding& f) { return f.Level <= level; });
}

}  // namespace zelmot
