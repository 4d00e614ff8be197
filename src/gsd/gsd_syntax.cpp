// Splitting a device file line into keyword, argument and value, and
// scanning the values. Every scan stays inside the cursor's text.
#include "gsd/gsd_syntax.h"

#include "common/ascii.h"
#include "common/utf8_text.h"
#include "gsd/gsd_device.h"

namespace zelmot {
namespace {

constexpr std::size_t kExcerptMax = 24;

void SkipSpace(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && ascii::IsSpace(text[pos])) ++pos;
}

bool Fail(GsdCursor& cursor, std::string why) {
    if (cursor.Error.empty()) cursor.Error = std::move(why);
    return false;
}

// The word at the cursor, for a message: up to white space or a comma, at
// most kExcerptMax bytes and no character cut.
std::string Excerpt(const GsdCursor& cursor) {
    std::size_t end = cursor.Pos;
    while (end < cursor.Text.size() && !ascii::IsSpace(cursor.Text[end]) && cursor.Text[end] != ',') ++end;
    const std::string_view word = cursor.Text.substr(cursor.Pos, end - cursor.Pos);
    return std::string(word.substr(0, utf8::FitLength(word, kExcerptMax)));
}

bool IsWordChar(char c) { return ascii::IsAlnum(c) || c == '_' || c == '.'; }

// The digits of a number from pos, in the given base, stopped before a
// value beyond the limit; false when none is a digit or the value is too big.
bool ScanDigits(std::string_view text, std::size_t& pos, int base, std::int64_t& value) {
    const std::size_t start = pos;
    value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = base == 16 ? ascii::HexDigitValue(text[pos]) : ascii::IsDigit(text[pos]) ? text[pos] - '0' : -1;
        if (digit < 0) break;
        value = value * base + digit;
        if (value > kGsdNumberLimit) return false;
    }
    return pos > start;
}

std::string RangeText(std::int64_t min, std::int64_t max) {
    return std::to_string(min) + "-" + std::to_string(max);
}

}  // namespace

bool SplitGsdStatement(std::string_view line, GsdStatement& statement) {
    statement = GsdStatement{};
    std::size_t pos = 0;
    SkipSpace(line, pos);
    const std::size_t start = pos;
    while (pos < line.size() && !ascii::IsSpace(line[pos]) && line[pos] != '(' && line[pos] != '=') ++pos;
    statement.Keyword = line.substr(start, pos - start);
    SkipSpace(line, pos);
    if (pos < line.size() && line[pos] == '(') {
        const std::size_t close = line.find(')', pos);
        if (close == std::string_view::npos) return false;
        statement.Argument = line.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        SkipSpace(line, pos);
    }
    if (pos < line.size() && line[pos] == '=') {
        statement.HasEquals = true;
        ++pos;
    }
    statement.Value = line.substr(pos);
    return true;
}

bool AtGsdEnd(GsdCursor& cursor) {
    SkipSpace(cursor.Text, cursor.Pos);
    return cursor.Pos >= cursor.Text.size();
}

std::optional<std::int64_t> ScanGsdNumber(GsdCursor& cursor, std::int64_t min, std::int64_t max) {
    if (AtGsdEnd(cursor)) {
        Fail(cursor, "number missing");
        return std::nullopt;
    }
    const std::string_view text = cursor.Text;
    std::size_t pos = cursor.Pos;
    const bool negative = text[pos] == '-';
    if (negative) ++pos;
    int base = 10;
    if (pos + 1 < text.size() && text[pos] == '0' && ascii::ToLower(text[pos + 1]) == 'x') {
        base = 16;
        pos += 2;
    }
    std::int64_t value = 0;
    if (!ScanDigits(text, pos, base, value) || (pos < text.size() && IsWordChar(text[pos]))) {
        Fail(cursor, "bad number '" + Excerpt(cursor) + "'");
        return std::nullopt;
    }
    if (negative) value = -value;
    if (value < min || value > max) {
        Fail(cursor, "number " + std::to_string(value) + " out of range " + RangeText(min, max));
        return std::nullopt;
    }
    cursor.Pos = pos;
    return value;
}

bool ScanGsdText(GsdCursor& cursor, std::string& text, bool& cut) {
    cut = false;
    if (AtGsdEnd(cursor) || cursor.Text[cursor.Pos] != '"') return Fail(cursor, "quoted text missing");
    const std::size_t close = cursor.Text.find('"', cursor.Pos + 1);
    if (close == std::string_view::npos) return Fail(cursor, "unterminated quoted text");
    std::string_view inside = cursor.Text.substr(cursor.Pos + 1, close - cursor.Pos - 1);
    if (inside.size() > kGsdMaxTextLength) {
        inside = inside.substr(0, utf8::FitLength(inside, kGsdMaxTextLength));
        cut = true;
    }
    text.assign(inside);
    cursor.Pos = close + 1;
    return true;
}

bool ScanGsdList(GsdCursor& cursor, std::int64_t min, std::int64_t max, std::vector<std::int64_t>& values) {
    values.clear();
    for (;;) {
        if (values.size() == kGsdMaxListLength)
            return Fail(cursor, "more than " + std::to_string(kGsdMaxListLength) + " numbers in a list");
        const std::optional<std::int64_t> value = ScanGsdNumber(cursor, min, max);
        if (!value) return false;
        values.push_back(*value);
        if (AtGsdEnd(cursor) || cursor.Text[cursor.Pos] != ',') return true;
        ++cursor.Pos;
    }
}

bool ScanGsdRange(GsdCursor& cursor, std::int64_t min, std::int64_t max, std::int64_t& first, std::int64_t& last) {
    const std::optional<std::int64_t> from = ScanGsdNumber(cursor, min, max);
    if (!from) return false;
    if (AtGsdEnd(cursor) || cursor.Text[cursor.Pos] != '-') return Fail(cursor, "range 'first-last' missing its '-'");
    ++cursor.Pos;
    const std::optional<std::int64_t> to = ScanGsdNumber(cursor, min, max);
    if (!to) return false;
    if (*to < *from) return Fail(cursor, "range " + std::to_string(*from) + "-" + std::to_string(*to) + " runs backwards");
    first = *from;
    last = *to;
    return true;
}

bool ExpectGsdEnd(GsdCursor& cursor) {
    if (AtGsdEnd(cursor)) return true;
    return Fail(cursor, "unexpected '" + Excerpt(cursor) + "' after the value");
}

}  // namespace zelmot
