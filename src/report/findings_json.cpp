// The findings as JSON: the keys the manual page lists, times in integer
// nanoseconds, frames by the reference numbers zelmot2txt gives them.
#include "report/findings_json.h"

#include "report/document_object.h"
#include "report/dp_words.h"
#include "report/finding_words.h"

namespace zelmot {
namespace {

// What tells two findings of one kind at one station apart: the artefact of
// a capture_gap, the bytes of a diagnosis; null for the other kinds.
ReportDocument SubjectOf(const Finding& finding, const BusStats& stats) {
    if (finding.Kind == FindingKind::CaptureGap) {
        constexpr const char* kArtefacts[] = {"resync", "clock_step", "short_gap"};
        return kArtefacts[static_cast<std::size_t>(finding.Artefact)];
    }
    if (finding.Kind != FindingKind::Diagnosis) return nullptr;
    const DpDiagSeen& seen = stats.Stations[static_cast<std::size_t>(finding.Address)].Dp.Diagnoses[finding.Index];
    return HexText(fdl::Bytes(stats.DiagnosisBytes.data() + seen.Offset, seen.Size));
}

}  // namespace

ReportDocument VerdictJson(const Verdict& verdict) {
    return ReportDocument{{"faults", verdict.Faults}, {"warnings", verdict.Warnings}, {"notes", verdict.Notes}};
}

ReportDocument FindingsJson(const std::vector<Finding>& findings, const BusStats& stats, const GsdMatches& matches) {
    ReportDocument list = ReportDocument::array();
    for (const Finding& finding : findings) {
        const FindingText words = FindingWords(finding, stats, matches);
        ReportDocument evidence = ReportDocument::array();
        for (std::size_t i = 0; i < finding.Frames.Kept; ++i)
            evidence.push_back({{"reference", finding.Frames.Frames[i].Reference}, {"ns", finding.Frames.Frames[i].Ns}});
        ReportDocument item = ObjectWithRoom(11);
        item["kind"] = FindingKindName(finding.Kind);
        item["severity"] = SeverityName(finding.Level);
        item["address"] = finding.Address >= 0 ? ReportDocument(finding.Address) : ReportDocument(nullptr);
        item["first_ns"] = finding.FirstNs;
        item["last_ns"] = finding.LastNs;
        item["count"] = finding.Count;
        item["title"] = words.Title;
        item["evidence"] = std::move(evidence);
        item["cause"] = words.Cause;
        item["check"] = words.Check;
        item["subject"] = SubjectOf(finding, stats);
        list.push_back(std::move(item));
    }
    return list;
}

}  // namespace zelmot
