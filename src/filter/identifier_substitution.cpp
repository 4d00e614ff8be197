// Identifier substitution: every name in the equation becomes a number or a
// code letter with a number; indexed fields (DataByte, DataWord, CmdArg) take
// their bracketed index along. Apart from the words OR and AND and the digits
// of hexadecimal literals, every letter of the result comes from a
// replacement.
#include <string_view>

#include "common/ascii.h"
#include "filter/equation_text.h"
#include "filter/identifier_table.h"
#include "filter/opcodes.h"

namespace zelmot {
namespace {

bool IsIdentifierChar(char c) { return ascii::IsAlnum(c) || c == '_'; }

bool IsLogicWord(std::string_view word) {
    if (word.size() == 2) return ascii::ToUpper(word[0]) == 'O' && ascii::ToUpper(word[1]) == 'R';
    return word.size() == 3 && ascii::ToUpper(word[0]) == 'A' && ascii::ToUpper(word[1]) == 'N' &&
           ascii::ToUpper(word[2]) == 'D';
}

bool IsIndexedCode(std::uint8_t code) { return IsIndexedField(CodeLetterOperand(static_cast<char>(code))); }

// "0x" or "0X" at i.
bool HexPrefixAt(const std::string& text, std::size_t i) {
    return i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
}

// Appends "0x" and the hexadecimal digits after the prefix at i; returns the
// position after them.
std::size_t CopyHexLiteral(const std::string& text, std::size_t i, std::string& out) {
    out += "0x";
    for (i += 2; i < text.size() && ascii::IsHexDigit(text[i]); ++i) out.push_back(text[i]);
    return i;
}

// Appends the code letter and its bracketed index; pos is the character after
// the name and moves past the ']'.
Outcome CopyIndex(const std::string& text, std::uint8_t code, std::size_t& pos, std::string& out) {
    std::string replacement(1, static_cast<char>(code));
    std::size_t i = pos;
    if (i >= text.size() || text[i] != '[') {
        return ErrorTextOf("Invalid Option ShowOnly Equation: '[' Expected '" + replacement + "'");
    }
    ++i;
    if (HexPrefixAt(text, i)) {
        i = CopyHexLiteral(text, i, replacement);
    } else {
        for (; i < text.size() && ascii::IsDigit(text[i]); ++i) replacement.push_back(text[i]);
    }
    if (i >= text.size() || text[i] != ']') {
        return ErrorTextOf("Invalid Option ShowOnly Equation: ']' Expected '" + replacement + "'");
    }
    pos = i + 1;
    out += replacement;
    return Success();
}

// Replaces the identifier that starts at pos; pos moves past what it used.
Outcome SubstituteIdentifier(const std::string& text, std::size_t& pos, std::string& out) {
    std::size_t end = pos;
    while (end < text.size() && IsIdentifierChar(text[end])) ++end;
    const std::string_view name(text.data() + pos, end - pos);
    pos = end;
    if (IsLogicWord(name)) {
        out += name;
        return Success();
    }
    const IdentifierEntry* entry = LookupIdentifier(name);
    if (entry == nullptr) {
        return ErrorTextOf("Invalid Option ShowOnly Equation: Undefined Identifier '" + std::string(name) + "'");
    }
    if (entry->Code == kConstantCode) {
        out += std::to_string(entry->Value);
        return Success();
    }
    if (IsIndexedCode(entry->Code)) return CopyIndex(text, entry->Code, pos, out);
    out.push_back(static_cast<char>(entry->Code));
    out += std::to_string(entry->Value);
    return Success();
}

}  // namespace

Outcome SubstituteIdentifiers(const std::string& equation, std::string& substituted) {
    substituted.clear();
    std::size_t pos = 0;
    while (pos < equation.size()) {
        const char c = equation[pos];
        if (ascii::IsAlpha(c) || c == '_') {
            Outcome replaced = SubstituteIdentifier(equation, pos, substituted);
            if (!replaced.IsOk()) return replaced;
        } else if (HexPrefixAt(equation, pos)) {
            pos = CopyHexLiteral(equation, pos, substituted);
        } else {
            substituted.push_back(c);
            ++pos;
        }
    }
    return Success();
}

}  // namespace zelmot
