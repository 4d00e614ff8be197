// The one numbering shared by the ShowOnly tokenizer, compiler and evaluator:
// token codes and the opcodes of the postfix program. LPAREN, RPAREN and
// END_OF_TEXT exist only as tokens; START is also the program's end word.
#pragma once

#include <cstdint>

namespace zelmot {

enum class Opcode : std::int32_t {
    ERROR_TOKEN = -1,  // the tokenizer or parser met an error
    START = 0,         // before the first token; the end of a program
    LPAREN = 1,
    RPAREN = 2,
    NOT = 3,
    NEGATE = 4,
    COMPL = 5,
    MULT = 6,
    DIV = 7,
    MOD = 8,
    ADD = 9,
    SUB = 10,
    LESS = 11,
    GREATER = 12,
    LESSEQUAL = 13,
    GREATEREQUAL = 14,
    EQUAL = 15,
    NOTEQUAL = 16,
    BITWISEAND = 17,
    BITWISEOR = 18,
    BITWISEXOR = 19,
    AND = 20,
    OR = 21,
    STS = 25,
    LEN = 26,
    SD = 27,
    ADDRESS = 28,
    FC = 29,
    DSAP = 30,
    SSAP = 31,
    GapTme = 32,
    GapAft = 33,
    DataByte = 34,
    DataWord = 35,
    LITERAL = 36,
    CmdArg = 37,
    END_OF_TEXT = 38,
};

constexpr std::int32_t Word(Opcode code) { return static_cast<std::int32_t>(code); }

// Instructions that carry one inline word after the opcode.
constexpr bool HasInlineWord(Opcode code) {
    return code == Opcode::ADDRESS || code == Opcode::DataByte || code == Opcode::DataWord ||
           code == Opcode::LITERAL || code == Opcode::CmdArg;
}

constexpr bool IsUnaryOperator(Opcode code) {
    return code == Opcode::NOT || code == Opcode::NEGATE || code == Opcode::COMPL;
}

constexpr bool IsBinaryOperator(Opcode code) {
    return Word(code) >= Word(Opcode::MULT) && Word(code) <= Word(Opcode::OR);
}

constexpr bool IsOperand(Opcode code) {
    return Word(code) >= Word(Opcode::STS) && Word(code) <= Word(Opcode::CmdArg);
}

}  // namespace zelmot
