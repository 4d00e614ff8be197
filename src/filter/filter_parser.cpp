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

// Precedence of the binary operators; BinaryLevel gives 0 for any other code.
struct OperatorLevel {
    Opcode Code;
    std::uint8_t Level;  // higher binds tighter
};

constexpr std::array<OperatorLevel, 16> kBinaryLevels{{
    {Opcode::MULT, 9}, {Opcode::DIV, 9}, {Opcode::MOD, 9},
    {Opcode::ADD, 8}, {Opcode::SUB, 8},
    {Opcode::LESS, 7}, {Opcode::GREATER, 7}, {Opcode::LESSEQUAL, 7}, {Opcode::GREATEREQUAL, 7},
    {Opcode::EQUAL, 6}, {Opcode::NOTEQUAL, 6},
    {Opcode::BITWISEAND, 3}, {Opcode::BITWISEOR, 5}, {Opcode::BITWISEXOR, 4},
    {Opcode::AND, 2}, {Opcode::OR, 1},
}};

constexpr int BinaryLevel(Opcode code) {
    for (const OperatorLevel& entry : kBinaryLevels)
        if (entry.Code == code) return entry.Level;
    return 0;
}

// Every binary operator has a level, and only they have one.
constexpr bool LevelsCoverTheBinaryOperators() {
    for (std::int32_t word = Word(Opcode::START); word <= Word(Opcode::END_OF_TEXT); ++word) {
        const Opcode code = static_cast<Opcode>(word);
        if (IsBinaryOperator(code) != (BinaryLevel(code) != 0)) return false;
    }
    return true;
}
static_assert(LevelsCoverTheBinaryOperators());

struct Parser {
    CompilerState Tokens;
    std::vector<std::int32_t>& Program;
    std::vector<Opcode> Pending;  // LPAREN marks, unary and binary operators
};

void Emit(Parser& parser, Opcode code) {
    parser.Program.push_back(Word(code));
    if (HasInlineWord(code)) parser.Program.push_back(parser.Tokens.NumberValue);
}

// A primary is complete: the unary operators waiting for it apply now.
void EmitUnaries(Parser& parser) {
    while (!parser.Pending.empty() && IsUnaryOperator(parser.Pending.back())) {
        Emit(parser, parser.Pending.back());
        parser.Pending.pop_back();
    }
}

// Emits the waiting binary operators that bind at least as tightly as level.
void EmitBinaries(Parser& parser, int level) {
    while (!parser.Pending.empty() && BinaryLevel(parser.Pending.back()) >= level &&
           BinaryLevel(parser.Pending.back()) > 0) {
        Emit(parser, parser.Pending.back());
        parser.Pending.pop_back();
    }
}

void Fail(Parser& parser, int code) {
    parser.Tokens.ErrorCode = code;
    parser.Tokens.CurrentToken = Opcode::ERROR_TOKEN;
}

// Where an operand is expected: '(' and unary operators wait, an operand is
// emitted. Returns true when an operand completed a primary.
bool TakeOperandToken(Parser& parser) {
    const Opcode token = parser.Tokens.CurrentToken;
    if (token == Opcode::LPAREN || IsUnaryOperator(token)) {
        parser.Pending.push_back(token);
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
    const Opcode token = parser.Tokens.CurrentToken;
    if (IsBinaryOperator(token)) {
        EmitBinaries(parser, BinaryLevel(token));
        parser.Pending.push_back(token);
        return true;
    }
    EmitBinaries(parser, 1);
    const bool inGroup = !parser.Pending.empty() && parser.Pending.back() == Opcode::LPAREN;
    if (token == Opcode::RPAREN && inGroup) {
        parser.Pending.pop_back();
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
    while (parser.Tokens.CurrentToken != Opcode::ERROR_TOKEN) {
        if (operandExpected) {
            operandExpected = !TakeOperandToken(parser);
        } else if (parser.Tokens.CurrentToken == Opcode::END_OF_TEXT) {
            TakeOperatorToken(parser);
            return;
        } else {
            operandExpected = TakeOperatorToken(parser);
        }
        if (parser.Tokens.CurrentToken != Opcode::ERROR_TOKEN) NextToken(parser.Tokens);
    }
}

}  // namespace

CompileResult CompileFilter(std::string_view text, std::vector<std::int32_t>& program) {
    program.clear();
    Parser parser{CompilerState{}, program, {}};
    NextToken(parser.Tokens, text);
    const Opcode first = parser.Tokens.CurrentToken;
    if (first != Opcode::END_OF_TEXT && first != Opcode::ERROR_TOKEN) ParseExpression(parser);
    program.push_back(Word(Opcode::START));
    return {parser.Tokens.ErrorCode, parser.Tokens.ErrorPosition};
}

}  // namespace zelmot
