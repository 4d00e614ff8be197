// The three renderings of a finished BusStats: aligned text tables, one JSON
// document, and the per-station CSV table. Each returns the whole report.
#pragma once

#include <cstdint>
#include <string>

#include "stats/bus_stats.h"

namespace zelmot {

enum class ReportFormat : std::uint8_t { Text, Json, Csv };

std::string TextReport(const BusStats& stats);
std::string JsonReport(const BusStats& stats);
std::string CsvReport(const BusStats& stats);

// A duration in bit times at the run's bit rate: ns x bit/s / 10^9.
double NsToBits(double ns, std::uint32_t baud);

}  // namespace zelmot
