// The one numbering shared by the ShowOnly tokenizer, compiler and evaluator:
// token codes and the opcodes of the postfix program. LPAREN, RPAREN and
// END_OF_TEXT exist only as tokens; START is also the program's end word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelmot {

// ORDER: the binary operators MULT .. OR and the operands STS .. CmdArg each
// form one run of numbers (IsBinaryOperator, IsOperand); the operands' code
// letters follow kCodeLetterOperand below.
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

// Identifier substitution writes a field as a code letter and a number; the
// tokenizer reads the letter back. The letter of kCodeLetterOperand[i] is
// kFirstCodeLetter + i: both sides use this one table.
constexpr char kFirstCodeLetter = 'M';
constexpr std::array<Opcode, 12> kCodeLetterOperand{{
    Opcode::STS, Opcode::LEN, Opcode::SD, Opcode::ADDRESS, Opcode::FC, Opcode::DSAP,
    Opcode::SSAP, Opcode::GapTme, Opcode::GapAft, Opcode::DataByte, Opcode::DataWord, Opcode::CmdArg,
}};

constexpr char CodeLetter(Opcode operand) {
    for (std::size_t i = 0; i < kCodeLetterOperand.size(); ++i)
        if (kCodeLetterOperand[i] == operand) return static_cast<char>(kFirstCodeLetter + i);
    return '\0';
}

// The operand of a code letter; Opcode::START for a character that is none.
constexpr Opcode CodeLetterOperand(char letter) {
    if (letter < kFirstCodeLetter || letter >= kFirstCodeLetter + static_cast<int>(kCodeLetterOperand.size()))
        return Opcode::START;
    return kCodeLetterOperand[static_cast<std::size_t>(letter - kFirstCodeLetter)];
}

// Fields whose name takes an index in brackets ("DataByte[2]").
constexpr bool IsIndexedField(Opcode operand) {
    return operand == Opcode::DataByte || operand == Opcode::DataWord || operand == Opcode::CmdArg;
}

static_assert(Word(Opcode::OR) - Word(Opcode::MULT) == 15, "binary operators: one run, MULT first, OR last");
static_assert(Word(Opcode::CmdArg) - Word(Opcode::STS) == 12, "operands: one run, STS first, CmdArg last");
static_assert(CodeLetter(Opcode::STS) == 'M' && CodeLetter(Opcode::CmdArg) == 'X',
              "the code letters run from M to X");
static_assert(CodeLetterOperand('L') == Opcode::START && CodeLetterOperand('Y') == Opcode::START);

}  // namespace zelmot
