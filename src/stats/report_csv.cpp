// The CSV report: the per-station table, one row per listed address, the
// header row first; figures that do not exist are empty cells.
#include <cinttypes>
#include <cstdio>

#include "stats/report_formats.h"

namespace zelmot {
namespace {

constexpr const char kHeader[] =
    "address,role,first_ns,last_ns,error_frames,"
    "tokens,rotation_count,rotation_min_ns,rotation_mean_ns,rotation_max_ns,rotation_p50_ns,rotation_p95_ns,"
    "rotation_p99_ns,master_requests,master_answered,master_unanswered,master_no_answer_expected,"
    "master_fdl_status_unanswered,master_retries,"
    "slave_requests,slave_answered,slave_unanswered,slave_no_answer_expected,slave_fdl_status_unanswered,"
    "slave_retries,response_count,response_min_ns,response_mean_ns,response_max_ns,response_p50_ns,"
    "response_p99_ns\n";

void Cell(std::string& line, bool present, std::int64_t value) {
    line += ',';
    if (present) line += std::to_string(value);
}

void CountCells(std::string& line, bool present, std::initializer_list<std::uint64_t> values) {
    for (std::uint64_t v : values) {
        line += ',';
        if (present) line += std::to_string(v);
    }
}

void MeanCell(std::string& line, bool present, double mean) {
    line += ',';
    if (!present) return;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.3f", mean);
    line += buffer;
}

void DurationCells(std::string& line, bool present, const DurationStats& d, bool withP95) {
    CountCells(line, present, {d.Count});
    bool any = present && d.Count > 0;
    Cell(line, any, d.Min);
    MeanCell(line, any, d.Mean);
    Cell(line, any, d.Max);
    Cell(line, any, d.P50);
    if (withP95) Cell(line, any, d.P95);
    Cell(line, any, d.P99);
}

std::string StationLine(const StationStats& s, std::size_t address) {
    std::string line = std::to_string(address) + "," + StationRoleName(s.Role);
    Cell(line, s.Heard, s.FirstHeardNs);
    Cell(line, s.Heard, s.LastHeardNs);
    CountCells(line, true, {s.ErrorFrames});
    const MasterFigures& m = s.Master;
    CountCells(line, s.HasMaster, {m.Tokens});
    DurationCells(line, s.HasMaster, m.Rotation, true);
    CountCells(line, s.HasMaster,
               {m.Requests, m.Answered, m.Unanswered, m.NoAnswerExpected, m.FdlStatusUnanswered, m.Retries});
    const SlaveFigures& v = s.Slave;
    CountCells(line, s.HasSlave,
               {v.Requests, v.Answered, v.Unanswered, v.NoAnswerExpected, v.FdlStatusUnanswered, v.Retries});
    DurationCells(line, s.HasSlave, v.Response, false);
    return line + "\n";
}

}  // namespace

std::string CsvReport(const BusStats& stats) {
    std::string out = kHeader;
    for (std::size_t a = 0; a < kStationCount; ++a)
        if (stats.Stations[a].Listed) out += StationLine(stats.Stations[a], a);
    return out;
}

}  // namespace zelmot
