// The period reports: the sink in front of the whole run's, the periods cut
// at minute files, and the two files of a period written as zelmot-stats
// writes them, each by way of a temporary name.
#include "watch/period_reports.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "analysis/gsd_match.h"
#include "capture/capture_format.h"
#include "common/text_out.h"
#include "follow/minute_files.h"
#include "gsd/gsd_library.h"
#include "html/html_report.h"
#include "report/report_document.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

std::string DateText(std::time_t at) {
    std::tm local{};
#ifdef _WIN32
    if (const std::tm* got = std::localtime(&at)) local = *got;  // the Windows C library's is per thread
#else
    localtime_r(&at, &local);
#endif
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

void StartPeriodAnalysis(PeriodReports& reports) {
    reports.Run = Analysis{};
    reports.Run.Stats = reports.Stats.get();
    StartAnalysis(reports.Run, reports.BaudIndex, reports.Baud);
}

void OpenPeriod(PeriodReports& reports, unsigned hour, unsigned minute) {
    const PeriodSettings& settings = reports.Settings;
    reports.Open = true;
    reports.Stats = std::make_unique<BusStats>();
    reports.FirstFile = CaptureFileName(settings.Stem, hour, minute);
    reports.FirstFile.resize(reports.FirstFile.size() - fs::path(reports.FirstFile).extension().string().size());
    reports.Date = DateText(settings.Now ? settings.Now() : std::time(nullptr));
    reports.FirstHour = reports.LastHour = hour;
    reports.FirstMinute = reports.LastMinute = minute;
    reports.Elapsed = 0;
    reports.FilesOpened = 0;
    reports.FramesBefore = reports.LastReference;
    reports.Frames = 0;
    reports.CarriedOver = reports.HasTiming;
    if (reports.HasTiming) StartPeriodAnalysis(reports);
}

void HeaderRead(PeriodReports& reports, const CaptureHeader& header) {
    if (reports.Inner.HeaderRead != nullptr) reports.Inner.HeaderRead(reports.Inner.Context, header);
}

void FileOpened(PeriodReports& reports, const std::string& fileName) {
    if (reports.Inner.FileOpened != nullptr) reports.Inner.FileOpened(reports.Inner.Context, fileName);
    unsigned hour = 0, minute = 0;
    if (!MinuteOfFileName(fs::path(reports.Settings.Stem).filename().string(), fs::path(fileName).filename().string(),
                          hour, minute)) {
        hour = reports.LastHour;
        minute = reports.LastMinute;
    }
    if (reports.Open) {
        // The minutes since the file opened before, round midnight; the same
        // file read afresh adds none.
        const unsigned now = hour * 60 + minute;
        const unsigned before = reports.LastHour * 60 + reports.LastMinute;
        reports.Elapsed += (now + kMinutesPerDay - before) % kMinutesPerDay;
        reports.LastHour = hour;
        reports.LastMinute = minute;
        if (reports.Elapsed >= reports.Settings.Minutes) FinishPeriod(reports);
    }
    if (!reports.Open) OpenPeriod(reports, hour, minute);
    ++reports.FilesOpened;
    reports.PeriodLastHour = hour;
    reports.PeriodLastMinute = minute;
}

void Started(PeriodReports& reports, const CaptureHeader& header, const BaudTiming& baud) {
    if (reports.Inner.Started != nullptr) reports.Inner.Started(reports.Inner.Context, header, baud);
    reports.HasTiming = true;
    reports.BaudIndex = HeaderBaudIndex(header);
    reports.Baud = baud;
    if (reports.Open) StartPeriodAnalysis(reports);
}

void SyncLost(PeriodReports& reports, const SyncLostNote& note) {
    if (reports.Inner.SyncLost != nullptr) reports.Inner.SyncLost(reports.Inner.Context, note);
    if (reports.Open && reports.HasTiming)
        AnalyseResync(reports.Run, std::max(note.ReferenceNumber, reports.FramesBefore) - reports.FramesBefore);
}

// The frame as a run of the period's files reads it: numbered from its
// first frame, which has no gap before it. The reader hands a file's last
// records out after the next file is opened when the header after them, or
// the rest of them, lies there: a run of the period's files starts after
// them, and a run of the files before ends without them, so no period
// takes them.
bool Frame(PeriodReports& reports, const RunFrame& taken) {
    const bool goOn = reports.Inner.Frame == nullptr || reports.Inner.Frame(reports.Inner.Context, taken);
    reports.LastReference = taken.ReferenceNumber;
    if (!reports.Open || !reports.HasTiming) return goOn;
    if (reports.CarriedOver) {
        // A record that began in the file before ends, with the header
        // after it, short of where a record at the file's start would.
        const CaptureFrame& frame = *taken.Frame;
        if (frame.FileOffset < kCaptureHeaderSize + 2 * kRecordHeaderSize + frame.Length + 1u) {
            reports.FramesBefore = taken.ReferenceNumber;
            ++reports.LeftOut;
            return goOn;
        }
        reports.CarriedOver = false;
    }
    FrameTiming timing = *taken.Timing;
    if (reports.Frames++ == 0) timing.GapTime = 0;
    RunFrame frame = taken;
    frame.Timing = &timing;
    frame.ReferenceNumber = taken.ReferenceNumber - reports.FramesBefore;
    AnalyseFrame(reports.Run, frame);
    return goOn;
}

void Log(const PeriodReports& reports, const std::string& text) {
    if (reports.Settings.Log) reports.Settings.Log(text);
}

Outcome WriteText(const std::string& path, const std::string& text) {
    TextOut out;
    if (!OpenTextOutFile(out, path)) return ErrorText("Cannot create the file %s", path.c_str());
    PutText(out, text);
    if (!CloseTextOut(out)) return ErrorText("Cannot write the file %s", path.c_str());
    return Success();
}

}  // namespace

RunSink PeriodReportSink(PeriodReports& reports, PeriodSettings settings, const RunSink& inner) {
    reports.Settings = std::move(settings);
    reports.Inner = inner;
    RunSink sink = SinkOf(reports, inner.EveryFrame);
    sink.HeaderRead = SinkCall<HeaderRead>::Call;
    sink.FileOpened = SinkCall<FileOpened>::Call;
    sink.Started = SinkCall<Started>::Call;
    sink.SyncLost = SinkCall<SyncLost>::Call;
    sink.Frame = SinkCall<Frame>::Call;
    return sink;
}

void FinishPeriod(PeriodReports& reports) {
    if (!reports.Open) return;
    reports.Open = false;
    BusStats& stats = *reports.Stats;
    if (reports.HasTiming) FinishAnalysis(reports.Run);
    stats.FilesRead = reports.FilesOpened;
    const GsdMatches matches = MatchGsdDevices(GsdLibrary{}, false, stats);
    RunSettings settings;
    DeriveCaptureNames(reports.FirstFile, settings);
    // The period's last file as it came, also after a recording gap inside
    // the period (its files are then not one minute after the other).
    settings.LastFileKnown = true;
    settings.LastHour = reports.PeriodLastHour;
    settings.LastMinute = reports.PeriodLastMinute;
    const ReportDocument document =
        BuildReportDocument(stats, matches, fs::path(settings.CaptureName).filename().string());
    const std::string name = fs::path(reports.Settings.Stem).filename().string();
    const std::string base = (fs::path(reports.Settings.Folder) /
                              PeriodReportName(name, reports.Date, reports.FirstHour, reports.FirstMinute))
                                 .string();
    Outcome written = WriteFileAtomically(base + ".json", [&document](const std::string& path) {
        return WriteText(path, JsonReport(document));
    });
    if (written.IsOk())
        written = WriteFileAtomically(base + ".html", [&](const std::string& path) {
            return WriteHtmlReport(path, settings, stats, document, matches);
        });
    if (written.IsOk()) {
        ++reports.Written;
        Log(reports, "period report " + base + ".html and .json written");
    } else {
        ++reports.Failed;
        Log(reports, "period report " + base + " not written: " + written.Text);
    }
    reports.Stats.reset();
    reports.Run = Analysis{};
}

std::string PeriodReportName(const std::string& name, const std::string& date, unsigned hour, unsigned minute) {
    return name + "-" + date + "-" + FormatText("%02u%02u", hour, minute);
}

Outcome CheckReportFolder(const std::string& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return ErrorText("Invalid Report - %s (no such folder)", folder.c_str());
    const fs::path probe = fs::path(folder) / ".zelmot-watch-probe";
    const Outcome written =
        WriteFileAtomically(probe.string(), [](const std::string& path) { return WriteText(path, ""); });
    fs::remove(probe, error);
    if (!written.IsOk()) return ErrorText("Invalid Report - %s (no file can be written there)", folder.c_str());
    return Success();
}

Outcome WriteFileAtomically(const std::string& path, const std::function<Outcome(const std::string&)>& write) {
    const fs::path target(path);
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".tmp");
    std::error_code error;
    Outcome result = write(temporary.string());
    if (result.IsOk()) {
        fs::rename(temporary, target, error);
        if (error) result = ErrorText("Cannot rename %s to %s: %s", temporary.string().c_str(), path.c_str(),
                                      error.message().c_str());
    }
    if (!result.IsOk()) fs::remove(temporary, error);
    return result;
}

}  // namespace zelmot
