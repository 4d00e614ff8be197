// The JSON report as one document, built once from a finished BusStats:
// every figure's key is spelled in its builder only. The JSON output is
// this document; the CSV columns and the HTML page's figure cells read
// their values from it by key path.
//
// A key path names one value: member names joined by dots, and
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
#include <vector>

#include "stats/bus_stats.h"

namespace zelmot {

using ReportDocument = nlohmann::ordered_json;

ReportDocument BuildReportDocument(const BusStats& stats);

// The value at keyPath below from; a null met on the way (a figure that does
// not exist, e.g. the master figures of a slave) is the value. Null pointer
// when the path names nothing: a member or an element that is not there.
const ReportDocument* FindReportValue(const ReportDocument& from, std::string_view keyPath);

// One element of an array of the document and its key path.
struct ReportRow {
    const ReportDocument* Values = nullptr;
    std::string Key;  // "stations{address=5}"
};
// The elements of the array at arrayPath, each keyed by its field.
std::vector<ReportRow> ReportRows(const ReportDocument& document, std::string_view arrayPath, std::string_view field);

}  // namespace zelmot
