// zelmot-stats' own words beside the ones every program shares: Format=,
// Html=, Gsd= (repeatable), FailOn= and Baseline=, read into one record.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "analysis/findings.h"
#include "run/command_line.h"

namespace zelmot {

enum class ReportFormat : std::uint8_t { Text, Json, Csv, Events };

struct StatsWords {
    ReportFormat Format = ReportFormat::Text;
    std::string HtmlPath;
    std::vector<std::string> GsdPaths;
    std::optional<Severity> FailOn;  // FailOn=: the exit status 4 at this severity or worse
    std::string BaselinePath;        // Baseline=: a JSON report to compare with
};

// Applies one option word: one of its own, else a shared one through
// ParseSharedOption. False, with the message on err, for a bad word.
bool ParseStatsWord(const char* word, StatsWords& words, RunSettings& settings, std::FILE* err);

}  // namespace zelmot
