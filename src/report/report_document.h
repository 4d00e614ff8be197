// The JSON report as one document, built once from a finished BusStats:
// every figure's key is spelled in its builder only. The JSON output is
// this document; the CSV columns and the HTML page's figure cells read
// their values from it by key path.
//
// A key path (key_path.h) names one value: member names joined by dots, and
// name{field=value} for the one element of the array name whose field holds
// the integer value, and name[i] for element i (from 0) of the array name
// -- "capture.frames", "errors.by_bit.STSPAR",
// "stations{address=5}.master.rotation_ns.p99", "gaps{from_bits=64}.count",
// "events[3].ns".
// The HTML page writes these paths into its data-key attributes.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"

namespace zelmot {

using ReportDocument = nlohmann::ordered_json;

// The report's schema: raised whenever a key changes its meaning, so that a
// baseline (Baseline=) written by another version is read only when it
// means what this one means. Adding keys keeps the number.
constexpr int kReportSchema = 1;

// matches: the run's slaves matched to their device files (gsd_match.h);
// without them every station's "gsd" is null. captureName: the first
// capture file's name without folder and extension ("line1230"), null when
// empty.
ReportDocument BuildReportDocument(const BusStats& stats, const GsdMatches& matches, std::string_view captureName = {});
ReportDocument BuildReportDocument(const BusStats& stats);

// The JSON report: the document, indented by two.
std::string JsonReport(const ReportDocument& document);
std::string JsonReport(const BusStats& stats);

}  // namespace zelmot
