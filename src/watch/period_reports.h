// The watcher's period reports (Report=, ReportEvery=): for each period of
// capture minutes the HTML page and the JSON report that zelmot-stats writes
// for that period's minute files, made by the same builders from an
// analysis of the period's own. The period's analysis is fed the frames the
// whole-run analysis gets (one reading of the files): a sink set in front
// of the whole run's passes everything on to it and takes its own steps
// after it.
//
// Periods go by minute files: a period begins with a file and ends when the
// file that lies its length of capture minutes after its first one (or a
// later one) begins. A recording gap inside a period is part of it; after a
// gap past its end, the next period begins with the file that comes. Its
// frames are numbered and its first gap measured as zelmot-stats, reading
// those files, numbers and measures them, and the last record of a period's
// last file is left out as that run leaves it out (only the whole run
// counts it): the reports are zelmot-stats' reports of those files.
//
// The files are "<name>-YYYYMMDD-HHMM.html" and ".json": the wall-clock
// date when the period began and the capture minute of its first file. Each
// is written under a temporary name in the folder and renamed, so that a
// reader never sees half a report. A failure to write is logged; the
// watcher goes on. Only the open period's analysis is held.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "analysis/analysis_run.h"
#include "common/outcome.h"
#include "run/capture_run.h"

namespace zelmot {

struct PeriodSettings {
    std::string Folder;          // where the reports go
    std::string Stem;            // "<folder>/<name>" of the capture files
    std::uint32_t Minutes = 60;  // capture minutes per period
    std::function<void(const std::string&)> Log;  // a line for each report written or failed
    std::function<std::time_t()> Now;             // the wall clock; null: the system's
};

struct PeriodReports {
    PeriodSettings Settings;
    RunSink Inner;  // the whole run's sink, fed first
    bool HasTiming = false;  // the first header chose the timing
    std::uint16_t BaudIndex = 0;
    BaudTiming Baud;
    // The period open.
    bool Open = false;
    std::unique_ptr<BusStats> Stats;
    Analysis Run;
    std::string FirstFile;  // "<folder>/<name>HHMM" of its first file
    std::string Date;       // "YYYYMMDD" when it began
    unsigned FirstHour = 0, FirstMinute = 0;
    unsigned LastHour = 0, LastMinute = 0;  // of the file opened last
    unsigned PeriodLastHour = 0, PeriodLastMinute = 0;  // of the open period's last file
    std::uint32_t Elapsed = 0;      // capture minutes from its first file to the last one opened
    std::uint32_t FilesOpened = 0;
    std::uint32_t FramesBefore = 0;  // the run's reference number before its first frame
    std::uint32_t LastReference = 0;  // of the run's frame read last
    bool CarriedOver = false;  // the next frame may be the last record of the file before
    std::uint64_t Frames = 0;
    std::uint64_t LeftOut = 0;  // frames no period takes: records over a period's end
    std::uint64_t Written = 0;  // periods written, and failed
    std::uint64_t Failed = 0;
};

// The sink that feeds inner and the period analysis; reports must stay
// where it is while the sink is used.
RunSink PeriodReportSink(PeriodReports& reports, PeriodSettings settings, const RunSink& inner);

// Ends the period open (the last, partial one when the watcher stops) and
// writes its two reports; nothing when no period is open.
void FinishPeriod(PeriodReports& reports);

// "<name>-YYYYMMDD-HHMM" without the extension.
std::string PeriodReportName(const std::string& name, const std::string& date, unsigned hour, unsigned minute);

// Whether reports can be written into folder: a file is made there and
// removed again. The message says why not.
Outcome CheckReportFolder(const std::string& folder);

// Has write fill a temporary file beside path (its name handed over), then
// renames it to path; on a failure no temporary is left.
Outcome WriteFileAtomically(const std::string& path, const std::function<Outcome(const std::string&)>& write);

}  // namespace zelmot
