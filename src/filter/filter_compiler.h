// The ShowOnly compiler: a tokenizer that decides from the previous token
// whether an operand or an operator is expected, and a parser that turns the
// substituted text into a postfix program of 32-bit words ending with 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filter/opcodes.h"

namespace zelmot {

enum CompileErrorCode : int {
    kMissingParenthesis = 300,
    kMissingParameter = 301,
    kMissingOperator = 302,
    kInvalidOperator = 304,
    kInvalidValue = 305,
    kAmbiguousOperator = 306,
};

// The tokenizer's state over one text. Offsets count from the text's start.
struct CompilerState {
    std::string_view Text;
    std::size_t Cursor = 0;  // where the next token begins
    Opcode CurrentToken = Opcode::START;
    int ErrorCode = 0;          // 0, or the first error's code
    int ErrorPosition = 0;      // may be -1 (an operator as the first character)
    std::string NumberText;     // the characters of the last decimal number read
    std::int32_t NumberValue = 0;  // the value of the last number read
};

struct CompileResult {
    int ErrorCode = 0;  // 0 on success
    int ErrorPosition = 0;
};

// Starts reading text at its first character and reads the first token.
void NextToken(CompilerState& state, std::string_view text);
// Reads the next token at the cursor.
void NextToken(CompilerState& state);

// Strips blanks from both ends of text in place; valid when the rest is
// non-empty and only "0123456789+-". value is an optional sign and the digits
// after it, saturated to the 32-bit range.
bool CheckDecimalText(std::string& text, std::int32_t& value);

// Compiles text into program (always terminated by a 0 word; after a failure
// it holds only what was emitted before the error).
CompileResult CompileFilter(std::string_view text, std::vector<std::int32_t>& program);

}  // namespace zelmot
