// The parts of one device file line, and the scanners for its values:
// numbers (decimal or 0x, an optional minus sign), quoted texts, number
// lists separated by commas and ranges "a-b". A scanner that fails leaves
// the reason in the cursor; the first reason is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmot {

// "Keyword(Argument) = Value", or "Keyword(Argument) Value" without '='.
struct GsdStatement {
    std::string_view Keyword;
    std::optional<std::string_view> Argument;
    bool HasEquals = false;
    std::string_view Value;  // the rest of the line after '=' or after the keyword and argument
};

// False when a '(' after the keyword is not closed.
bool SplitGsdStatement(std::string_view line, GsdStatement& statement);

struct GsdCursor {
    std::string_view Text;
    std::size_t Pos = 0;
    std::string Error;  // why the first failed scan failed
};

inline GsdCursor CursorOver(std::string_view text) {
    GsdCursor cursor;
    cursor.Text = text;
    return cursor;
}

constexpr std::int64_t kGsdNumberLimit = 0xFFFFFFFF;  // numbers lie within -limit..limit

// True when only white space is left.
bool AtGsdEnd(GsdCursor& cursor);

// A number within [min, max].
std::optional<std::int64_t> ScanGsdNumber(GsdCursor& cursor, std::int64_t min, std::int64_t max);

// A quoted text, cut to kGsdMaxTextLength bytes without cutting a
// character (Cut tells).
bool ScanGsdText(GsdCursor& cursor, std::string& text, bool& cut);

// Numbers within [min, max] separated by commas, at most kGsdMaxListLength.
bool ScanGsdList(GsdCursor& cursor, std::int64_t min, std::int64_t max, std::vector<std::int64_t>& values);

// "first-last" with both within [min, max] and first <= last.
bool ScanGsdRange(GsdCursor& cursor, std::int64_t min, std::int64_t max, std::int64_t& first, std::int64_t& last);

// Succeeds when only white space is left, else tells what follows.
bool ExpectGsdEnd(GsdCursor& cursor);

}  // namespace zelmot
