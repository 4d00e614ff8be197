// The cells of the HTML report's tables: header rows, text cells, and
// figure cells that read their figure from the report document by key
// path, name that path (data-key) and show the figure in full.
#include "html/html_cells.h"

#include <cassert>
#include <cstdio>

#include "common/keyed_rows.h"
#include "html/html_text.h"
#include "report/key_path.h"
#include "report/number_text.h"

namespace zelmot {

namespace {

struct CellUnitRow {
    CellUnit Key;
    const char* Name;  // of data-unit; none for a figure as it is
};
constexpr CellUnitRow kCellUnits[] = {
    {CellUnit::AsIs, nullptr},  {CellUnit::Microseconds, "us"}, {CellUnit::Seconds, "s"},
    {CellUnit::Clock, "clock"}, {CellUnit::Hex, "hex"},
};
static_assert(RowsInKeyOrder(kCellUnits, static_cast<std::size_t>(CellUnit::Hex) + 1));

std::string SecondsText(std::int64_t ns) {
    const std::uint64_t magnitude =
        ns < 0 ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%09llu", static_cast<unsigned long long>(magnitude % 1000000000u));
    return (ns < 0 ? "-" : "") + GroupedUnsigned(magnitude / 1000000000u) + fraction;
}

std::string HexFigureText(std::int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

void PutHeaderRow(TextOut& out, std::initializer_list<const char*> names) {
    PutText(out, "<thead><tr>");
    for (const char* name : names) {
        PutText(out, "<th>");
        PutText(out, name);  // fixed texts of this file, already HTML
        PutText(out, "</th>");
    }
    PutText(out, "</tr></thead>\n<tbody>\n");
}

void PutTextCell(TextOut& out, const std::string& text) {
    PutText(out, "<td>");
    PutEscaped(out, text);
    PutText(out, "</td>");
}

void PutEmptyCell(TextOut& out) { PutText(out, "<td class=\"n\">&#8211;</td>"); }

// A number cell; without a key it is named by none.
void PutNumberCell(TextOut& out, const std::string& text, const std::string& key, CellUnit unit) {
    PutText(out, "<td class=\"n\"");
    if (!key.empty()) {
        PutText(out, " data-key=\"");
        PutEscaped(out, key);
        PutText(out, "\"");
    }
    if (const char* name = kCellUnits[static_cast<std::size_t>(unit)].Name; name != nullptr) {
        PutText(out, " data-unit=\"");
        PutText(out, name);
        PutText(out, "\"");
    }
    PutText(out, ">");
    PutEscaped(out, text);
    PutText(out, "</td>");
}

// A figure of the document (a number, not null) as its cell shows it.
std::string FigureText(const ReportDocument& value, CellUnit unit) {
    assert(value.is_number());
    if (value.is_number_float()) {
        assert(unit == CellUnit::AsIs || unit == CellUnit::Microseconds);
        const double fraction = value.get<double>();
        return unit == CellUnit::Microseconds ? MicrosecondsText(fraction) : GroupedFixed(fraction, 3);
    }
    if (value.is_number_unsigned() && unit == CellUnit::AsIs) return GroupedUnsigned(value.get<std::uint64_t>());
    const std::int64_t number = value.get<std::int64_t>();
    switch (unit) {
    case CellUnit::Microseconds: return MicrosecondsText(number);
    case CellUnit::Seconds: return SecondsText(number);
    case CellUnit::Clock: return ClockText(number, 9);
    case CellUnit::Hex: return HexFigureText(number);
    case CellUnit::AsIs: break;
    }
    return GroupedInteger(number);
}

const ReportDocument& FigureAt(const ReportRow& row, const std::string& path) {
    const ReportDocument* value = FindReportValue(*row.Values, path);
    assert(value != nullptr);  // the tables name figures of the document
    static const ReportDocument kNoFigure;  // null, never changed
    return value != nullptr ? *value : kNoFigure;
}

std::string CellKey(const ReportRow& row, const std::string& path) {
    return row.Key.empty() ? path : row.Key + "." + path;
}

// The figure at path below row in a cell keyed by its path: a text as it
// is, a number in full, null as an empty cell.
void PutFigureCell(TextOut& out, const ReportRow& row, const std::string& path, CellUnit unit) {
    const ReportDocument& value = FigureAt(row, path);
    if (value.is_null()) {
        PutEmptyCell(out);
    } else if (value.is_string()) {
        PutText(out, "<td data-key=\"");
        PutEscaped(out, CellKey(row, path));
        PutText(out, "\">");
        PutEscaped(out, value.get_ref<const std::string&>());
        PutText(out, "</td>");
    } else {
        PutNumberCell(out, FigureText(value, unit), CellKey(row, path), unit);
    }
}

}  // namespace zelmot
