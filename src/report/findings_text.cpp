// The findings as text: one block per finding, the severity and the time of
// day in columns of their own, the rest indented under the title.
#include "report/findings_text.h"

#include "report/finding_words.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

constexpr const char* kIndent = "                         ";  // under the title

std::string EvidenceLine(const Evidence& evidence) {
    std::string line;
    for (std::size_t i = 0; i < evidence.Kept; ++i)
        line += (i == 0 ? "" : ", ") + std::to_string(evidence.Frames[i].Reference) + " at " +
                TimeOfDayText(evidence.Frames[i].Ns);
    return line;
}

}  // namespace

std::string FindingsSection(const std::vector<Finding>& findings, const BusStats& stats, const GsdMatches& matches) {
    std::string text = "Findings: " + VerdictWords(VerdictOf(findings)) + "\n";
    for (const Finding& finding : findings) {
        const FindingText words = FindingWords(finding, stats, matches);
        std::string severity(SeverityName(finding.Level));
        severity.resize(8, ' ');
        text += "  " + severity + " " + ClockText(finding.FirstNs, 3) + "  " + words.Title + "\n";
        text += std::string(kIndent) + "Cause: " + words.Cause + "\n";
        text += std::string(kIndent) + "Check: " + words.Check + "\n";
        if (finding.Frames.Kept > 0) text += std::string(kIndent) + "Frames: " + EvidenceLine(finding.Frames) + "\n";
    }
    return text;
}

}  // namespace zelmot
