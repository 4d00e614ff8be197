// Key paths into the report document: following one, and the key of each
// element of an array. A path is read piece by piece; a selector scans its
// array, so a table reads its cells relative to the row instead.
#include <cassert>
#include <charconv>

#include "report/key_path.h"

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

// The whole of text as an integer.
bool ReadInteger(std::string_view text, std::int64_t& value) {
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    return parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size();
}

// The element at index of an array.
const ReportDocument* ElementAt(const ReportDocument& rows, std::int64_t index) {
    if (!rows.is_array() || index < 0 || static_cast<std::uint64_t>(index) >= rows.size()) return nullptr;
    return &rows[static_cast<std::size_t>(index)];
}

// One piece of a path, "name", "name{field=value}" or "name[index]".
const ReportDocument* FollowPiece(const ReportDocument& from, std::string_view piece) {
    const std::size_t open = piece.find_first_of("{[");
    const auto member = from.find(piece.substr(0, open));
    if (member == from.end()) return nullptr;
    if (open == std::string_view::npos) return &*member;
    std::int64_t wanted = 0;
    if (piece[open] == '[') {
        if (piece.back() != ']' || !ReadInteger(piece.substr(open + 1, piece.size() - open - 2), wanted)) return nullptr;
        return ElementAt(*member, wanted);
    }
    const std::size_t equals = piece.find('=', open);
    if (equals == std::string_view::npos || piece.back() != '}') return nullptr;
    if (!ReadInteger(piece.substr(equals + 1, piece.size() - equals - 2), wanted)) return nullptr;
    return SelectRow(*member, piece.substr(open + 1, equals - open - 1), wanted);
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
