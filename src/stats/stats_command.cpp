// zelmot-stats' start-up: the words a user knows from zelmot2txt read by the
// same parser, Format=, Html= and Gsd= on top, the usage on a bad word, the
// device files read before the run, and the report written to standard
// output.
#include "stats/stats_command.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/findings.h"
#include "analysis/gsd_match.h"
#include "common/ascii.h"
#include "gsd/gsd_library.h"
#include "html/html_report.h"
#include "report/csv_report.h"
#include "report/events_report.h"
#include "report/text_report.h"
#include "run/command_line.h"

namespace zelmot {
namespace {

enum class ReportFormat : std::uint8_t { Text, Json, Csv, Events };

constexpr const char kUsage[] =
    "use: zelmot-stats <InputFile> [options]\n"
    "    <InputFile>    .Zelmot will be added\n"
    "Options:\n"
    "    NumMin=<n>     Number of Minutes to read\n"
    "    NumMin=all     Read Minutes until the next file is missing\n"
    "    StartRef=<n>   Start Reference Number\n"
    "    EndRef=<n>     End   Reference Number\n"
    "    Format=<f>     Report Format: text (default), json, csv or events\n"
    "    Html=<file>    Also write the report as an HTML page with charts\n"
    "    Gsd=<path>     GSD file, or folder of them, naming the DP slaves (repeatable)\n"
    "    FailOn=<s>     Exit with 4 when a finding is this bad or worse: fault or warning\n"
    "                   (the report is written all the same)\n";

// Exit status of FailOn= when a finding of its severity or worse exists.
constexpr int kExitFindings = 4;

// The device files of the Gsd= words, read in their order; a path that
// cannot be read, and every line of a file that cannot, is a warning on err
// and the report goes on without it.
void ReadGsdPaths(const std::vector<std::string>& paths, GsdLibrary& library, std::FILE* err) {
    for (const std::string& path : paths) {
        Outcome result = AddGsdLibrary(path, library);
        if (!result.IsOk()) std::fprintf(err, "%s: not used\n", result.Text.c_str());
    }
    const auto print = [err](const GsdWarnings& warnings) {
        for (const std::string& text : warnings.Texts) std::fprintf(err, "%s\n", text.c_str());
        if (warnings.More > 0) std::fprintf(err, "... and %u more warnings\n", warnings.More);
    };
    for (const GsdDevice& device : library.Devices) print(device.Warnings);
    print(library.Warnings);
}


// Format=<name>; false with a message for any other name.
bool ParseFormatWord(const char* value, ReportFormat& format, std::FILE* err) {
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

// document: the report document of stats, when the format reads it.
std::string Render(const BusStats& stats, const GsdMatches& matches, const ReportDocument* document,
                   ReportFormat format) {
    switch (format) {
        case ReportFormat::Json: return JsonReport(*document);
        case ReportFormat::Csv: return CsvReport(*document);
        case ReportFormat::Events: return EventsReport(stats, matches);
        case ReportFormat::Text: break;
    }
    return TextReport(stats, matches);
}

// FailOn=<severity>; false with a message for any other word.
bool ParseFailOnWord(const char* value, std::optional<Severity>& failOn, std::FILE* err) {
    if (ascii::EqualsNoCase(value, "fault")) failOn = Severity::Fault;
    else if (ascii::EqualsNoCase(value, "warning")) failOn = Severity::Warning;
    else {
        std::fprintf(err, "Invalid FailOn - %s (fault or warning)\n", value);
        return false;
    }
    return true;
}

bool ReadsDocument(ReportFormat format) { return format == ReportFormat::Json || format == ReportFormat::Csv; }

}  // namespace

int StatsMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err, std::FILE* progress) {
    if (argc < 2) return ShowUsage(kUsage, err);
    RunSettings settings;
    ReportFormat format = ReportFormat::Text;
    std::string htmlPath;
    std::vector<std::string> gsdPaths;
    std::optional<Severity> failOn;
    for (int i = 2; i < argc; ++i) {
        const char* word = argv[i];
        if (ascii::StartsWithNoCase(word, "FailOn=")) {
            if (!ParseFailOnWord(word + 7, failOn, err)) return ShowUsage(kUsage, err);
            continue;
        }
        if (ascii::StartsWithNoCase(word, "Gsd=")) {
            gsdPaths.emplace_back(word + 4);
            if (gsdPaths.back().empty()) {
                std::fputs("Invalid Gsd - no file or folder name\n", err);
                return ShowUsage(kUsage, err);
            }
            continue;
        }
        if (ascii::StartsWithNoCase(word, "Html=")) {
            htmlPath = word + 5;
            if (htmlPath.empty()) {
                std::fputs("Invalid Html - no file name\n", err);
                return ShowUsage(kUsage, err);
            }
            continue;
        }
        if (ascii::StartsWithNoCase(word, "Format=")) {
            if (!ParseFormatWord(word + 7, format, err)) return ShowUsage(kUsage, err);
            continue;
        }
        if (!ParseSharedOption(word, settings, err)) {
            std::fputc('\n', err);
            return ShowUsage(kUsage, err);
        }
    }
    if (!CheckNumMin(settings, err)) return ShowUsage(kUsage, err);
    std::string captureName = argv[1];
    if (!CheckCaptureName(captureName, err)) return ShowUsage(kUsage, err);
    DeriveCaptureNames(captureName, settings);
    GsdLibrary library;
    ReadGsdPaths(gsdPaths, library, err);

    auto stats = std::make_unique<BusStats>();
    Outcome result = AnalyseCapture(settings, *stats, progress);
    if (!result.IsOk()) {
        std::fprintf(err, "%s\n", result.Text.c_str());
        return kExitFailure;
    }
    // One document for the chosen report and the page alike.
    const GsdMatches matches = MatchGsdDevices(library, !gsdPaths.empty(), *stats);
    std::unique_ptr<ReportDocument> document;
    if (ReadsDocument(format) || !htmlPath.empty())
        document = std::make_unique<ReportDocument>(BuildReportDocument(*stats, matches));
    std::string report = Render(*stats, matches, document.get(), format);
    if (std::fwrite(report.data(), 1, report.size(), out) != report.size() || std::fflush(out) != 0) {
        std::fputs("Unable to Write the Report to Standard Output\n", err);
        return kExitFailure;
    }
    if (format == ReportFormat::Events && stats->Events.Dropped > 0)
        std::fprintf(err, "Only the first %zu events are listed: %llu more were not kept\n", kDpEventsKept,
                     static_cast<unsigned long long>(stats->Events.Dropped));
    if (!htmlPath.empty()) {
        result = WriteHtmlReport(htmlPath, settings, *stats, *document, matches);
        if (!result.IsOk()) {
            std::fprintf(err, "%s\n", result.Text.c_str());
            return kExitFailure;
        }
    }
    if (failOn && HasFindingAtLeast(FindFindings(*stats, matches), *failOn)) return kExitFindings;
    return kExitSuccess;
}

}  // namespace zelmot
