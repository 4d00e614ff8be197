// The cells of the HTML report's tables, shared by every table: a header
// row, a text cell, an empty cell, a number cell, and a figure cell, which
// reads its figure below a row of the report document by key path, names
// the path in data-key and shows the figure in full (counts grouped,
// nanoseconds in the unit its data-unit names).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "common/text_out.h"
#include "report/key_path.h"
#include "report/report_document.h"

namespace zelmot {

// How a cell shows a figure (data-unit): as it is, a time held in
// nanoseconds in microseconds, seconds or as hh:mm:ss, a code as hex.
enum class CellUnit : std::uint8_t { AsIs, Microseconds, Seconds, Clock, Hex };

// names: fixed texts of the caller, already HTML.
void PutHeaderRow(TextOut& out, std::initializer_list<const char*> names);
void PutTextCell(TextOut& out, const std::string& text);
void PutEmptyCell(TextOut& out);
// A number cell; without a key it is named by none.
void PutNumberCell(TextOut& out, const std::string& text, const std::string& key, CellUnit unit);

// A figure of the document (a number, not null) as its cell shows it.
std::string FigureText(const ReportDocument& value, CellUnit unit);
// The value at path below row (null when the path meets a null).
const ReportDocument& FigureAt(const ReportRow& row, const std::string& path);
std::string CellKey(const ReportRow& row, const std::string& path);

// The figure at path below row in a cell keyed by its path: a text as it
// is, a number in full, null as an empty cell.
void PutFigureCell(TextOut& out, const ReportRow& row, const std::string& path, CellUnit unit = CellUnit::AsIs);

}  // namespace zelmot
