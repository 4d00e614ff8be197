// zelmot-stats' words, each matched without regard to case, each with its
// message when its value is not one it takes.
#include "stats/stats_words.h"

#include "common/ascii.h"

namespace zelmot {
namespace {

// Format=<name>; false with a message for any other name.
bool ParseFormat(const char* value, ReportFormat& format, std::FILE* err) {
    if (ascii::EqualsNoCase(value, "text")) format = ReportFormat::Text;
    else if (ascii::EqualsNoCase(value, "json")) format = ReportFormat::Json;
    else if (ascii::EqualsNoCase(value, "csv")) format = ReportFormat::Csv;
    else if (ascii::EqualsNoCase(value, "events")) format = ReportFormat::Events;
    else {
        std::fprintf(err, "Invalid Format - %s (text, json, csv or events)\n", value);
        return false;
    }
    return true;
}

// FailOn=<severity>; false with a message for any other word.
bool ParseFailOn(const char* value, std::optional<Severity>& failOn, std::FILE* err) {
    if (ascii::EqualsNoCase(value, "fault")) failOn = Severity::Fault;
    else if (ascii::EqualsNoCase(value, "warning")) failOn = Severity::Warning;
    else {
        std::fprintf(err, "Invalid FailOn - %s (fault or warning)\n", value);
        return false;
    }
    return true;
}

// A word naming a file or folder: its value, or a message when empty.
bool ParsePath(const char* value, const char* word, std::string& path, std::FILE* err) {
    path = value;
    if (!path.empty()) return true;
    std::fprintf(err, "Invalid %s - no %s name\n", word, std::string(word) == "Gsd" ? "file or folder" : "file");
    return false;
}

}  // namespace

bool ParseStatsWord(const char* word, StatsWords& words, RunSettings& settings, std::FILE* err) {
    if (ascii::StartsWithNoCase(word, "FailOn=")) return ParseFailOn(word + 7, words.FailOn, err);
    if (ascii::StartsWithNoCase(word, "Gsd=")) return ParsePath(word + 4, "Gsd", words.GsdPaths.emplace_back(), err);
    if (ascii::StartsWithNoCase(word, "Html=")) return ParsePath(word + 5, "Html", words.HtmlPath, err);
    if (ascii::StartsWithNoCase(word, "Baseline=")) return ParsePath(word + 9, "Baseline", words.BaselinePath, err);
    if (ascii::StartsWithNoCase(word, "Format=")) return ParseFormat(word + 7, words.Format, err);
    if (ParseSharedOption(word, settings, err)) return true;
    std::fputc('\n', err);
    return false;
}

}  // namespace zelmot
