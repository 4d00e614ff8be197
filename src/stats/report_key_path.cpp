// Key paths into the report document: following one, and the key of each
// element of an array. A path is read piece by piece; a selector scans its
// array, so a table reads its cells relative to the row instead.
#include <cassert>
#include <charconv>

#include "stats/report_document.h"

namespace zelmot {

namespace {

// The element of rows whose field equals wanted, when exactly one does.
const ReportDocument* SelectRow(const ReportDocument& rows, std::string_view field, std::int64_t wanted) {
    if (!rows.is_array()) return nullptr;
    const ReportDocument* found = nullptr;
    for (const ReportDocument& row : rows) {
        if (!row.is_object()) continue;
        const auto value = row.find(field);
        if (value == row.end() || !value->is_number_integer() || value->get<std::int64_t>() != wanted) continue;
        if (found != nullptr) return nullptr;  // ambiguous
        found = &row;
    }
    return found;
}

// One piece of a path, "name" or "name{field=value}".
const ReportDocument* FollowPiece(const ReportDocument& from, std::string_view piece) {
    const std::size_t brace = piece.find('{');
    const auto member = from.find(piece.substr(0, brace));
    if (member == from.end()) return nullptr;
    if (brace == std::string_view::npos) return &*member;
    const std::size_t equals = piece.find('=', brace);
    if (equals == std::string_view::npos || piece.back() != '}') return nullptr;
    const std::string_view number = piece.substr(equals + 1, piece.size() - equals - 2);
    std::int64_t wanted = 0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), wanted);
    if (parsed.ec != std::errc{} || parsed.ptr != number.data() + number.size()) return nullptr;
    return SelectRow(*member, piece.substr(brace + 1, equals - brace - 1), wanted);
}

}  // namespace

const ReportDocument* FindReportValue(const ReportDocument& from, std::string_view keyPath) {
    const ReportDocument* at = &from;
    while (!keyPath.empty()) {
        if (at->is_null()) return at;
        if (!at->is_object()) return nullptr;
        const std::size_t dot = keyPath.find('.');
        at = FollowPiece(*at, keyPath.substr(0, dot));
        if (at == nullptr) return nullptr;
        keyPath = dot == std::string_view::npos ? std::string_view() : keyPath.substr(dot + 1);
    }
    return at;
}

std::vector<ReportRow> ReportRows(const ReportDocument& document, std::string_view arrayPath, std::string_view field) {
    std::vector<ReportRow> result;
    const ReportDocument* rows = FindReportValue(document, arrayPath);
    assert(rows != nullptr && rows->is_array());  // the callers name arrays of the document
    if (rows == nullptr || !rows->is_array()) return result;
    for (const ReportDocument& row : *rows) {
        const ReportDocument* value = FindReportValue(row, field);
        assert(value != nullptr && value->is_number_integer());  // and a field that keys every row
        if (value == nullptr || !value->is_number_integer()) continue;
        result.push_back({&row, std::string(arrayPath) + "{" + std::string(field) + "=" + value->dump() + "}"});
    }
    return result;
}

}  // namespace zelmot
