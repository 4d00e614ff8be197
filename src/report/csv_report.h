// The CSV report: the per-station table of the report document.
#pragma once

#include <string>

#include "analysis/bus_stats.h"
#include "report/report_document.h"

namespace zelmot {

std::string CsvReport(const ReportDocument& document);
std::string CsvReport(const BusStats& stats);

}  // namespace zelmot
