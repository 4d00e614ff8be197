// What changed between a baseline report and the report of this capture,
// both as report documents (the baseline read from its JSON file): the
// stations and their roles, each station's damaged share, retries,
// unanswered requests and times, each DP slave's ident, state, drop-outs,
// watchdog, timing, configuration, parameters, diagnosis and device, the
// findings, and the segment's bit rate, traffic and masters. Rates are held
// per hour or per 1,000 requests, so captures of any length compare. Each
// change says whether it makes things worse; those come first, the findings'
// faults before the figures.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/report_document.h"

namespace zelmot {

struct Change {
    std::string Kind;      // "station_vanished", "damaged_share", "module", ... (the manual lists them)
    int Address = -1;      // the station; -1: the segment
    std::string What;      // the figure: "damaged frames", "module 3", ...
    ReportDocument Before;  // its value in the baseline and now (null: none)
    ReportDocument After;
    std::optional<bool> Worse;  // none: neither worse nor better
    std::string Words;     // "slave 7: damaged frames 0.02% -> 1.4%"
    int Weight = 3;        // 0-2: a finding's severity; 3: a figure
};

// The changes from before to after, worse ones first.
std::vector<Change> CompareReports(const ReportDocument& before, const ReportDocument& after);

// "slave 7", "master 2", "station 9" by the station's role in document
// (after, else before); "the segment" for -1.
std::string StationName(const ReportDocument& before, const ReportDocument& after, int address);

}  // namespace zelmot
