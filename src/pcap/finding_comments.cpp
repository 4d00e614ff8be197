// The findings' comments: "fault slave_lost: slave 7 stopped answering at
// ..." on each frame a finding cites. Their number is bounded by the
// findings' (at most ten frames each), not by the capture.
#include "pcap/finding_comments.h"

#include <algorithm>
#include <memory>

#include "analysis/analysis_run.h"
#include "analysis/findings.h"
#include "report/finding_words.h"

namespace zelmot {

Outcome CollectFindingComments(const RunSettings& settings, FindingComments& comments) {
    auto stats = std::make_unique<BusStats>();
    Outcome result = AnalyseCapture(settings, *stats, nullptr);
    if (!result.IsOk()) return result;
    const GsdMatches matches;
    for (const Finding& finding : FindFindings(*stats, matches)) {
        const std::string text = std::string(SeverityName(finding.Level)) + " " +
                                 std::string(FindingKindName(finding.Kind)) + ": " +
                                 FindingWords(finding, *stats, matches).Title;
        for (std::size_t i = 0; i < finding.Frames.Kept; ++i)
            comments.ByFrame.emplace_back(finding.Frames.Frames[i].Reference, text);
    }
    std::stable_sort(comments.ByFrame.begin(), comments.ByFrame.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return Success();
}

std::pair<std::size_t, std::size_t> CommentsOf(const FindingComments& comments, std::uint32_t reference) {
    const auto& list = comments.ByFrame;
    auto first = std::lower_bound(list.begin(), list.end(), reference,
                                  [](const auto& entry, std::uint32_t wanted) { return entry.first < wanted; });
    auto last = first;
    while (last != list.end() && last->first == reference) ++last;
    return {static_cast<std::size_t>(first - list.begin()), static_cast<std::size_t>(last - list.begin())};
}

}  // namespace zelmot
