// ASCII character classes and case-insensitive compares, independent of the
// C locale: command words, option keywords and equation identifiers are
// plain ASCII whatever the user's locale.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelmot::ascii {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool IsAlpha(char c) { return IsUpper(c) || IsLower(c); }
constexpr bool IsAlnum(char c) { return IsAlpha(c) || IsDigit(c); }
constexpr bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// Space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr char ToUpper(char c) { return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char ToLower(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of a hexadecimal digit, or -1.
constexpr int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// True if text begins with prefix, letters compared without regard to case.
constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (ToLower(text[i]) != ToLower(prefix[i])) return false;
    return true;
}

// The same for a terminated text, read no further than its terminator.
constexpr bool StartsWithNoCase(const char* text, std::string_view prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (text[i] == '\0' || ToLower(text[i]) != ToLower(prefix[i])) return false;
    return true;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

}  // namespace zelmot::ascii
