// The ShowOnly parser: turns tokens into postfix words. Ten precedence levels,
// loosest first: OR, AND, '&', '^', '|', equality, relations, '+' '-',
// '*' '/' '%', then unary operators, parentheses and operands. Binary
// operators are left-associative; a unary operator applies to the one primary
// after it. Pending operators wait on an explicit stack, so deep nesting of
// parentheses costs no call depth.
#include <array>
#include <cstdint>

#include "filter/filter_compiler.h"

namespace zelmot {
namespace {

// Precedence level of each binary operator by opcode (0: not binary).
constexpr std::array<std::uint8_t, 22> kBinaryLevel{{
    0, 0, 0, 0, 0, 0,
    9, 9, 9,     // MULT DIV MOD
    8, 8,        // ADD SUB
    7, 7, 7, 7,  // LESS GREATER LESSEQUAL GREATEREQUAL
    6, 6,        // EQUAL NOTEQUAL
    3,           // BITWISEAND
    5,           // BITWISEOR
    4,           // BITWISEXOR
    2,           // AND
    1,           // OR
}};

int BinaryLevel(Opcode code) {
    return IsBinaryOperator(code) ? kBinaryLevel[static_cast<std::size_t>(Word(code))] : 0;
}

struct Parser {
    CompilerState tokens;
    std::vector<std::int32_t>& program;
    std::vector<Opcode> pending;  // LPAREN marks, unary and binary operators
};

void Emit(Parser& parser, Opcode code) {
    parser.program.push_back(Word(code));
    if (HasInlineWord(code)) parser.program.push_back(parser.tokens.NumberValue);
}

// A primary is complete: the unary operators waiting for it apply now.
void EmitUnaries(Parser& parser) {
    while (!parser.pending.empty() && IsUnaryOperator(parser.pending.back())) {
        Emit(parser, parser.pending.back());
        parser.pending.pop_back();
    }
}

// Emits the waiting binary operators that bind at least as tightly as level.
void EmitBinaries(Parser& parser, int level) {
    while (!parser.pending.empty() && BinaryLevel(parser.pending.back()) >= level &&
           BinaryLevel(parser.pending.back()) > 0) {
        Emit(parser, parser.pending.back());
        parser.pending.pop_back();
    }
}

void Fail(Parser& parser, int code) {
    parser.tokens.ErrorCode = code;
    parser.tokens.CurrentToken = Opcode::ERROR_TOKEN;
}

// Where an operand is expected: '(' and unary operators wait, an operand is
// emitted. Returns true when an operand completed a primary.
bool TakeOperandToken(Parser& parser) {
    const Opcode token = parser.tokens.CurrentToken;
    if (token == Opcode::LPAREN || IsUnaryOperator(token)) {
        parser.pending.push_back(token);
        return false;
    }
    if (IsOperand(token)) {
        Emit(parser, token);
        EmitUnaries(parser);
        return true;
    }
    Fail(parser, kMissingParameter);  // only the end of the text reaches here
    return false;
}

// After an operand: a binary operator waits for its right side (true), a
// ')' closes its group; anything else ends the expression. Returns whether
// an operand is expected next.
bool TakeOperatorToken(Parser& parser) {
    const Opcode token = parser.tokens.CurrentToken;
    if (IsBinaryOperator(token)) {
        EmitBinaries(parser, BinaryLevel(token));
        parser.pending.push_back(token);
        return true;
    }
    EmitBinaries(parser, 1);
    const bool inGroup = !parser.pending.empty() && parser.pending.back() == Opcode::LPAREN;
    if (token == Opcode::RPAREN && inGroup) {
        parser.pending.pop_back();
        EmitUnaries(parser);
        return false;
    }
    if (inGroup) {
        Fail(parser, kMissingParenthesis);
    } else if (token != Opcode::END_OF_TEXT) {
        Fail(parser, kAmbiguousOperator);  // a surplus ')', or '!' '~' after an operand
    }
    return false;
}

void ParseExpression(Parser& parser) {
    bool operandExpected = true;
    while (parser.tokens.CurrentToken != Opcode::ERROR_TOKEN) {
        if (operandExpected) {
            operandExpected = !TakeOperandToken(parser);
        } else if (parser.tokens.CurrentToken == Opcode::END_OF_TEXT) {
            TakeOperatorToken(parser);
            return;
        } else {
            operandExpected = TakeOperatorToken(parser);
        }
        if (parser.tokens.CurrentToken != Opcode::ERROR_TOKEN) NextToken(parser.tokens);
    }
}

}  // namespace

CompileResult CompileFilter(std::string_view text, std::vector<std::int32_t>& program) {
    program.clear();
    Parser parser{CompilerState{}, program, {}};
    NextToken(parser.tokens, text);
    const Opcode first = parser.tokens.CurrentToken;
    if (first != Opcode::END_OF_TEXT && first != Opcode::ERROR_TOKEN) ParseExpression(parser);
    program.push_back(Word(Opcode::START));
    return {parser.tokens.ErrorCode, parser.tokens.ErrorPosition};
}

}  // namespace zelmot
