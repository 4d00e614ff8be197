// Tokenizer of the substituted ShowOnly text. A '-' is a sign, a unary minus
// or a subtraction depending on the previous token; most syntax errors are
// found here and reported with their offset. Nothing is read at or past the
// end of the text.
#include <algorithm>
#include <array>
#include <cstdint>

#include "common/ascii.h"
#include "common/number_scan.h"
#include "filter/filter_compiler.h"

namespace zelmot {
namespace {

struct OperatorSpelling {
    std::string_view Spelling;  // upper case
    Opcode Code;
};

// Tried in order, prefix match without regard to case: two-character
// spellings come before their one-character prefixes.
constexpr std::array<OperatorSpelling, 24> kOperatorTable{{
    {"<>", Opcode::NOTEQUAL}, {"!=", Opcode::NOTEQUAL}, {"<=", Opcode::LESSEQUAL},
    {">=", Opcode::GREATEREQUAL}, {"==", Opcode::EQUAL}, {"&&", Opcode::AND},
    {"AND", Opcode::AND}, {"||", Opcode::OR}, {"OR", Opcode::OR},
    {"&", Opcode::BITWISEAND}, {"|", Opcode::BITWISEOR}, {"^", Opcode::BITWISEXOR},
    {"*", Opcode::MULT}, {"/", Opcode::DIV}, {"%", Opcode::MOD},
    {"+", Opcode::ADD}, {"-", Opcode::SUB}, {"=", Opcode::EQUAL},
    {"<", Opcode::LESS}, {">", Opcode::GREATER}, {"!", Opcode::NOT},
    {"~", Opcode::COMPL}, {"(", Opcode::LPAREN}, {")", Opcode::RPAREN},
}};

constexpr std::size_t kHexRunMax = 6;  // "0x" and at most four digits
// The character at i, or NUL past the end (no class below takes NUL).
char CharAt(std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; }
int Offset(std::size_t i) { return static_cast<int>(i); }

const OperatorSpelling* MatchOperator(std::string_view text, std::size_t at) {
    for (const OperatorSpelling& op : kOperatorTable) {
        if (text.size() - at < op.Spelling.size()) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < op.Spelling.size(); ++i) {
            same = ascii::ToUpper(text[at + i]) == op.Spelling[i];
        }
        if (same) return &op;
    }
    return nullptr;
}

bool OperandExpected(Opcode prev) {
    return prev == Opcode::START || prev == Opcode::LPAREN ||
           (Word(prev) >= Word(Opcode::NOT) && Word(prev) <= Word(Opcode::OR));
}

void Fail(CompilerState& state, int code, int position) {
    state.CurrentToken = Opcode::ERROR_TOKEN;
    state.ErrorCode = code;
    state.ErrorPosition = position;
}

// A hexadecimal number at q ("0x" already seen): the whole run of letters and
// digits must be "0x" and one to four hexadecimal digits.
bool ReadHexNumber(CompilerState& state, std::size_t q, std::size_t& n) {
    n = 0;
    while (ascii::IsAlnum(CharAt(state.Text, q + n))) ++n;
    if (n <= 2 || n > kHexRunMax) return false;
    const std::string_view digits = std::string_view(state.Text).substr(q + 2, n - 2);
    const DigitRun run = ScanDigitRun(digits, 16);
    if (run.Length != digits.size()) return false;
    state.NumberValue = static_cast<std::int32_t>(run.Value);
    return true;
}

// A decimal number at q: the character at q, whatever it is (a sign, a blank,
// a digit), and the digits that directly follow it.
bool ReadDecimalNumber(CompilerState& state, std::size_t q, std::size_t& n) {
    n = 1;
    while (ascii::IsDigit(CharAt(state.Text, q + n))) ++n;
    state.NumberText.assign(state.Text.substr(q, n));
    return CheckDecimalText(state.NumberText, state.NumberValue);
}

// Reads the number at q; its extent, or 0 after an Invalid Value error.
std::size_t ReadNumber(CompilerState& state, std::size_t q) {
    state.ErrorPosition = Offset(q);
    std::size_t n = 1;
    const bool hex = CharAt(state.Text, q) == '0' && (CharAt(state.Text, q + 1) == 'x' || CharAt(state.Text, q + 1) == 'X');
    const bool valid = hex ? ReadHexNumber(state, q, n) : ReadDecimalNumber(state, q, n);
    if (valid) return n;
    Fail(state, kInvalidValue, Offset(q + n) - 1);  // the last character read
    return 0;
}

// A literal (at q) or a code letter's number (q after the letter).
void ReadNumberToken(CompilerState& state, std::size_t q, Opcode code, bool operandExpected) {
    const std::size_t n = ReadNumber(state, q);
    if (n == 0) return;
    if (!operandExpected) return Fail(state, kMissingOperator, Offset(q) - 1);
    state.CurrentToken = code;
    state.Cursor = q + n;
}

void TakeOperator(CompilerState& state, const OperatorSpelling& op, bool operandExpected) {
    const int before = Offset(state.Cursor) - 1;
    if (op.Code == Opcode::SUB && operandExpected) {
        state.CurrentToken = Opcode::NEGATE;
        state.Cursor += 1;
        return;
    }
    if (op.Code == Opcode::LPAREN && !operandExpected) return Fail(state, kMissingOperator, before);
    if ((op.Code == Opcode::NOT || op.Code == Opcode::COMPL) && state.CurrentToken == Opcode::RPAREN) {
        return Fail(state, kMissingOperator, before);
    }
    if ((op.Code == Opcode::RPAREN || IsBinaryOperator(op.Code)) && operandExpected) {
        return Fail(state, kMissingParameter, before);
    }
    state.CurrentToken = op.Code;
    state.Cursor += op.Spelling.size();
}

}  // namespace

void NextToken(CompilerState& state, std::string_view text) {
    state.Text = text;
    state.Cursor = 0;
    NextToken(state);
}

void NextToken(CompilerState& state) {
    const bool operandExpected = OperandExpected(state.CurrentToken);
    while (CharAt(state.Text, state.Cursor) == ' ') ++state.Cursor;
    if (state.Cursor >= state.Text.size()) {
        state.CurrentToken = Opcode::END_OF_TEXT;
        return;
    }
    const std::size_t at = state.Cursor;
    const char ch = CharAt(state.Text, at);
    if (const OperatorSpelling* op = MatchOperator(state.Text, at)) {
        state.ErrorPosition = Offset(at);
        const bool signedNumber = op->Code == Opcode::SUB && operandExpected && ascii::IsDigit(CharAt(state.Text, at + 1));
        if (!signedNumber) return TakeOperator(state, *op, operandExpected);
    }
    state.NumberText.clear();
    if (const Opcode operand = CodeLetterOperand(ch); operand != Opcode::START) {
        ReadNumberToken(state, at + 1, operand, operandExpected);
    } else if (ascii::IsDigit(ch) || ch == '-') {
        ReadNumberToken(state, at, Opcode::LITERAL, operandExpected);
    } else {
        Fail(state, kInvalidOperator, Offset(at));
    }
}

bool CheckDecimalText(std::string& text, std::int32_t& value) {
    value = 0;
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return false;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
    if (text.find_first_not_of("0123456789+-") != std::string::npos) return false;
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // one past INT32_MAX
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+') ++i;
    const auto magnitude = static_cast<std::int64_t>(ScanDigitRun(std::string_view(text).substr(i), 10, kLimit).Value);
    value = static_cast<std::int32_t>(negative ? -magnitude : std::min(magnitude, kLimit - 1));
    return true;
}

}  // namespace zelmot
