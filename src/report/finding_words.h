// The findings in the words of the trade, for every report alike: each
// finding's title (one line, with the station's GSD name where Gsd= knows
// it, its first occurrence and how many), its probable cause and what to
// check next; the kind and severity names of the JSON report, and the
// verdict line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/findings.h"

namespace zelmot {

struct FindingText {
    std::string Title;
    std::string Cause;
    std::string Check;
};

FindingText FindingWords(const Finding& finding, const BusStats& stats, const GsdMatches& matches);

// "capture_gap", "slave_lost", ...; "fault", "warning", "note".
std::string_view FindingKindName(FindingKind kind);
std::string_view SeverityName(Severity level);

// "no findings", or "2 faults, 1 warning, no notes".
std::string VerdictWords(const Verdict& verdict);

// "slave 7", or "slave 7 (Vendor Model)" where a device file names it.
std::string SlaveWords(std::size_t address, const GsdMatches& matches);

}  // namespace zelmot
