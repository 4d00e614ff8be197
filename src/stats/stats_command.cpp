// zelmot-stats' start-up: the words a user knows from zelmot2txt read by the
// same parser and its own on top (stats_words.h), the usage on a bad word,
// the baseline and the device files read before the run, the report written
// to standard output and the page to its file.
#include "stats/stats_command.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/findings.h"
#include "analysis/gsd_match.h"
#include "gsd/gsd_library.h"
#include "html/html_report.h"
#include "report/csv_report.h"
#include "report/events_report.h"
#include "report/baseline_file.h"
#include "report/changes_json.h"
#include "report/text_report.h"
#include "run/command_line.h"
#include "stats/stats_words.h"

namespace zelmot {
namespace {

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
    "                   (the report is written all the same)\n"
    "    Baseline=<f>   Compare with the JSON report <f> of an earlier capture\n";

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

// The report in the chosen format; document: the report document, when the
// format, the page or the baseline reads it.
std::string Render(const BusStats& stats, const GsdMatches& matches, const ReportDocument* document,
                   const ReportChanges* changes, ReportFormat format) {
    switch (format) {
        case ReportFormat::Json: return JsonReport(*document);
        case ReportFormat::Csv: return CsvReport(*document);
        case ReportFormat::Events: return EventsReport(stats, matches);
        case ReportFormat::Text: break;
    }
    return TextReport(stats, matches, changes);
}

bool Fail(std::FILE* err, const Outcome& result) {
    std::fprintf(err, "%s\n", result.Text.c_str());
    return false;
}

// Writes the report, and the page when asked; false (with the message on
// err) at the first failure.
bool WriteReports(const StatsWords& words, const RunSettings& settings, const BusStats& stats, const GsdMatches& matches,
                  const ReportDocument* baseline, std::FILE* out, std::FILE* err) {
    std::unique_ptr<ReportDocument> document;
    std::vector<Change> changes;
    const bool readsDocument = words.Format == ReportFormat::Json || words.Format == ReportFormat::Csv;
    if (readsDocument || !words.HtmlPath.empty() || baseline != nullptr)
        document = std::make_unique<ReportDocument>(
            BuildReportDocument(stats, matches, std::filesystem::path(settings.CaptureName).filename().string()));
    if (baseline != nullptr) {
        changes = CompareReports(*baseline, *document);
        AddChangesTo(*document, *baseline, changes);
    }
    const ReportChanges compared{baseline, document.get(), &changes};
    const std::string report =
        Render(stats, matches, document.get(), baseline != nullptr ? &compared : nullptr, words.Format);
    if (std::fwrite(report.data(), 1, report.size(), out) != report.size() || std::fflush(out) != 0)
        return Fail(err, ErrorText("Unable to Write the Report to Standard Output"));
    if (words.Format == ReportFormat::Events && stats.Events.Dropped > 0)
        std::fprintf(err, "Only the first %zu events are listed: %llu more were not kept\n", kDpEventsKept,
                     static_cast<unsigned long long>(stats.Events.Dropped));
    if (words.HtmlPath.empty()) return true;
    const Outcome page = WriteHtmlReport(words.HtmlPath, settings, stats, *document, matches,
                                         baseline != nullptr ? &compared : nullptr);
    return page.IsOk() || Fail(err, page);
}

}  // namespace

int StatsMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err, std::FILE* progress) {
    if (argc < 2) return ShowUsage(kUsage, err);
    RunSettings settings;
    StatsWords words;
    for (int i = 2; i < argc; ++i)
        if (!ParseStatsWord(argv[i], words, settings, err)) return ShowUsage(kUsage, err);
    if (!CheckNumMin(settings, err)) return ShowUsage(kUsage, err);
    std::string captureName = argv[1];
    if (!CheckCaptureName(captureName, err)) return ShowUsage(kUsage, err);
    DeriveCaptureNames(captureName, settings);
    // A baseline that cannot be used fails before any capture is read.
    std::unique_ptr<ReportDocument> baseline;
    if (!words.BaselinePath.empty()) {
        baseline = std::make_unique<ReportDocument>();
        const Outcome read = ReadBaseline(words.BaselinePath, *baseline);
        if (!read.IsOk()) return Fail(err, read), kExitFailure;
    }
    GsdLibrary library;
    ReadGsdPaths(words.GsdPaths, library, err);

    auto stats = std::make_unique<BusStats>();
    const Outcome result = AnalyseCapture(settings, *stats, progress);
    if (!result.IsOk()) return Fail(err, result), kExitFailure;
    const GsdMatches matches = MatchGsdDevices(library, !words.GsdPaths.empty(), *stats);
    if (!WriteReports(words, settings, *stats, matches, baseline.get(), out, err)) return kExitFailure;
    if (words.FailOn && HasFindingAtLeast(FindFindings(*stats, matches), *words.FailOn)) return kExitFindings;
    return kExitSuccess;
}

}  // namespace zelmot
