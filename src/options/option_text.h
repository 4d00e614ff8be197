// Character tests shared by the option line reader and the value readers:
// the white space set of the option file and case-blind prefix matching.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelmot {

// Blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsOptionBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the terminated text begins with the first count characters of
// word, compared without regard to case. A text shorter than count never
// matches (its terminator meets a word character first).
constexpr bool StartsWithNoCase(const char* text, std::string_view word, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] == '\0' || LowerAscii(text[i]) != LowerAscii(word[i])) return false;
    }
    return true;
}

}  // namespace zelmot
