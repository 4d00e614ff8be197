// The renderings of a finished BusStats: aligned text tables, one JSON
// document, the per-station CSV table and the DP events as CSV. Each
// returns the whole report; the JSON and the station table are made from
// the report document, built once when it is handed in.
#pragma once

#include <cstdint>
#include <string>

#include "stats/bus_stats.h"
#include "stats/report_document.h"

namespace zelmot {

enum class ReportFormat : std::uint8_t { Text, Json, Csv, Events };

std::string TextReport(const BusStats& stats);
std::string JsonReport(const BusStats& stats);
std::string CsvReport(const BusStats& stats);
std::string JsonReport(const ReportDocument& document);
std::string CsvReport(const ReportDocument& document);
std::string EventsReport(const BusStats& stats);

// A duration in bit times at the run's bit rate: ns x bit/s / 10^9.
double NsToBits(double ns, std::uint32_t baud);

}  // namespace zelmot
