// Key paths into the report document: following one to its value, and the
// rows of an array with the key path of each (report_document.h says how a
// path is spelled).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/report_document.h"

namespace zelmot {

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
