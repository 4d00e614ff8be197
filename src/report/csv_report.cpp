// The CSV report: the per-station table, one row per station of the report
// document, the header row first. Each column reads one figure of the
// station by its key path; a figure that does not exist is an empty cell.
#include <cassert>

#include "report/csv_report.h"
#include "report/key_path.h"
#include "report/number_text.h"
#include "report/report_document.h"

namespace zelmot {
namespace {

struct CsvColumn {
    const char* Name;
    const char* Key;  // below the station
};

constexpr CsvColumn kColumns[] = {
    {"address", "address"},
    {"role", "role"},
    {"first_ns", "first_ns"},
    {"last_ns", "last_ns"},
    {"error_frames", "error_frames"},
    {"tokens", "master.tokens"},
    {"rotation_count", "master.rotation_ns.count"},
    {"rotation_min_ns", "master.rotation_ns.min"},
    {"rotation_mean_ns", "master.rotation_ns.mean"},
    {"rotation_max_ns", "master.rotation_ns.max"},
    {"rotation_p50_ns", "master.rotation_ns.p50"},
    {"rotation_p95_ns", "master.rotation_ns.p95"},
    {"rotation_p99_ns", "master.rotation_ns.p99"},
    {"master_requests", "master.requests"},
    {"master_answered", "master.answered"},
    {"master_unanswered", "master.unanswered"},
    {"master_no_answer_expected", "master.no_answer_expected"},
    {"master_fdl_status_unanswered", "master.fdl_status_unanswered"},
    {"master_retries", "master.retries"},
    {"slave_requests", "slave.requests"},
    {"slave_answered", "slave.answered"},
    {"slave_unanswered", "slave.unanswered"},
    {"slave_no_answer_expected", "slave.no_answer_expected"},
    {"slave_fdl_status_unanswered", "slave.fdl_status_unanswered"},
    {"slave_retries", "slave.retries"},
    {"response_count", "slave.response_ns.count"},
    {"response_min_ns", "slave.response_ns.min"},
    {"response_mean_ns", "slave.response_ns.mean"},
    {"response_max_ns", "slave.response_ns.max"},
    {"response_p50_ns", "slave.response_ns.p50"},
    {"response_p99_ns", "slave.response_ns.p99"},
};

// A figure as a cell: integers in full, fractions (the means) with three
// decimals, texts as they are.
void AppendCell(std::string& line, const ReportDocument& value) {
    if (value.is_null()) return;
    if (value.is_string()) {
        line += value.get_ref<const std::string&>();
    } else if (value.is_number_float()) {
        AppendFixed(line, value.get<double>(), 3);
    } else {
        line += value.dump();
    }
}

}  // namespace

std::string CsvReport(const BusStats& stats) { return CsvReport(BuildReportDocument(stats)); }

std::string CsvReport(const ReportDocument& document) {
    std::string out;
    for (const CsvColumn& column : kColumns) {
        if (!out.empty()) out += ',';
        out += column.Name;
    }
    out += '\n';
    for (const ReportRow& station : ReportRows(document, "stations", "address")) {
        bool first = true;
        for (const CsvColumn& column : kColumns) {
            if (!first) out += ',';
            first = false;
            const ReportDocument* value = FindReportValue(*station.Values, column.Key);
            assert(value != nullptr);  // every column names a figure of a station
            if (value != nullptr) AppendCell(out, *value);
        }
        out += '\n';
    }
    return out;
}

}  // namespace zelmot
