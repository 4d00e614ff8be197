// The ShowOnly evaluator as it was before programs were prepared into steps
// (commit 9dffd28): one switch over the postfix words, each operand's inline
// word read as it goes. Kept only as the reference that the evaluator's
// differential test compares the prepared steps with.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <vector>

#include "fdl/fdl_codes.h"
#include "filter/filter_state.h"
#include "filter/opcodes.h"

namespace zelmot::previous {

constexpr std::int32_t kAbsent = 0x10000;

inline std::int32_t FieldByte(const FilterInputs& in, std::int32_t location) {
    return (location >= 0 && location < in.Count) ? in.Bytes[location] : kAbsent;
}

// n = 0: the destination address, n = 1: the source address after it.
inline std::int32_t Address(const FilterInputs& in, std::int32_t n) {
    if (in.Fields.DA < 0 || (n != 0 && n != 1)) return kAbsent;
    const std::int32_t byte = FieldByte(in, in.Fields.DA + n);
    return byte == kAbsent ? kAbsent : (byte & fdl::AddressMask);
}

inline std::int32_t DataByteAt(const FilterInputs& in, std::int32_t n) {
    if (in.Fields.Data < 0 || n < 0 || n >= in.Fields.DataLen) return kAbsent;
    return FieldByte(in, in.Fields.Data + n);
}

// Big-endian: the byte at n is the high byte.
inline std::int32_t DataWordAt(const FilterInputs& in, std::int32_t n) {
    if (in.Fields.Data < 0 || n < 0 || n >= in.Fields.DataLen - 1) return kAbsent;
    const std::int32_t high = FieldByte(in, in.Fields.Data + n);
    const std::int32_t low = FieldByte(in, in.Fields.Data + n + 1);
    return (high == kAbsent || low == kAbsent) ? kAbsent : high * 256 + low;
}

inline std::int32_t Wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }
inline std::uint32_t Bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }

inline std::int32_t Divide(std::int32_t a, std::int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return Wrap(0u - Bits(a));  // INT_MIN / -1 stays INT_MIN
    return a / b;
}

inline std::int32_t Remainder(std::int32_t a, std::int32_t b) {
    return (b == 0 || b == -1) ? 0 : a % b;
}

// A program of the compiler never pops below what it pushed; these say so.
inline std::size_t Top(std::size_t depth) {
    assert(depth >= 1);
    return depth - 1;
}

inline std::size_t PopOperand(std::size_t& depth) {
    assert(depth >= 2);
    return --depth;
}

inline std::int32_t EvaluateWords(const std::vector<std::int32_t>& program, const std::array<std::int32_t, 4>& args,
                                  const FilterInputs& in) {
    std::vector<std::int32_t> stackStorage;
    struct {
        std::vector<std::int32_t>& Stack;
        const std::array<std::int32_t, 4>& FilterArgs;
    } state{stackStorage, args};
    if (program.empty() || program[0] == 0) return 1;
    // No program needs more stack entries than it has words.
    if (state.Stack.size() < program.size()) state.Stack.resize(program.size());
    std::int32_t* const stack = state.Stack.data();
    std::size_t depth = 0;
    for (const std::int32_t* pc = program.data();; ++pc) {
        // The program ends with its 0 word, and a push always has room.
        assert(pc < program.data() + program.size() && depth < state.Stack.size());
        const Opcode code = static_cast<Opcode>(*pc);
        switch (code) {
            case Opcode::START: return stack[Top(depth)];
            case Opcode::STS: stack[depth++] = in.Fields.Status; break;
            case Opcode::LEN: stack[depth++] = in.Fields.DataLen; break;
            case Opcode::SD: stack[depth++] = in.Fields.SD; break;
            case Opcode::ADDRESS: stack[depth++] = Address(in, *++pc); break;
            case Opcode::FC: stack[depth++] = FieldByte(in, in.Fields.FC); break;
            case Opcode::DSAP: stack[depth++] = FieldByte(in, in.Fields.DSAP); break;
            case Opcode::SSAP: stack[depth++] = FieldByte(in, in.Fields.SSAP); break;
            case Opcode::GapTme: stack[depth++] = in.GapUs; break;
            case Opcode::GapAft: stack[depth++] = in.GapAftUs; break;
            case Opcode::DataByte: stack[depth++] = DataByteAt(in, *++pc); break;
            case Opcode::DataWord: stack[depth++] = DataWordAt(in, *++pc); break;
            case Opcode::LITERAL: stack[depth++] = *++pc; break;
            case Opcode::CmdArg: {
                const std::int32_t n = *++pc;
                stack[depth++] = (n >= 0 && n < 4) ? state.FilterArgs[static_cast<std::size_t>(n)] : 0;
                break;
            }
            case Opcode::NOT: stack[Top(depth)] = stack[Top(depth)] == 0; break;
            case Opcode::NEGATE: stack[Top(depth)] = Wrap(0u - Bits(stack[Top(depth)])); break;
            case Opcode::COMPL: stack[Top(depth)] = ~stack[Top(depth)]; break;
            // Binary operators: b = stack[depth] (popped), a = stack[depth - 1] takes the result.
            case Opcode::MULT: PopOperand(depth); stack[depth - 1] = Wrap(Bits(stack[depth - 1]) * Bits(stack[depth])); break;
            case Opcode::DIV: PopOperand(depth); stack[depth - 1] = Divide(stack[depth - 1], stack[depth]); break;
            case Opcode::MOD: PopOperand(depth); stack[depth - 1] = Remainder(stack[depth - 1], stack[depth]); break;
            case Opcode::ADD: PopOperand(depth); stack[depth - 1] = Wrap(Bits(stack[depth - 1]) + Bits(stack[depth])); break;
            case Opcode::SUB: PopOperand(depth); stack[depth - 1] = Wrap(Bits(stack[depth - 1]) - Bits(stack[depth])); break;
            case Opcode::LESS: PopOperand(depth); stack[depth - 1] = stack[depth - 1] < stack[depth]; break;
            case Opcode::GREATER: PopOperand(depth); stack[depth - 1] = stack[depth - 1] > stack[depth]; break;
            case Opcode::LESSEQUAL: PopOperand(depth); stack[depth - 1] = stack[depth - 1] <= stack[depth]; break;
            case Opcode::GREATEREQUAL: PopOperand(depth); stack[depth - 1] = stack[depth - 1] >= stack[depth]; break;
            case Opcode::EQUAL: PopOperand(depth); stack[depth - 1] = stack[depth - 1] == stack[depth]; break;
            case Opcode::NOTEQUAL: PopOperand(depth); stack[depth - 1] = stack[depth - 1] != stack[depth]; break;
            case Opcode::BITWISEAND: PopOperand(depth); stack[depth - 1] &= stack[depth]; break;
            case Opcode::BITWISEOR: PopOperand(depth); stack[depth - 1] |= stack[depth]; break;
            case Opcode::BITWISEXOR: PopOperand(depth); stack[depth - 1] ^= stack[depth]; break;
            case Opcode::AND: PopOperand(depth); stack[depth - 1] = stack[depth - 1] != 0 && stack[depth] != 0; break;
            case Opcode::OR: PopOperand(depth); stack[depth - 1] = stack[depth - 1] != 0 || stack[depth] != 0; break;
            default: return depth > 0 ? stack[depth - 1] : 1;  // not produced by the compiler
        }
    }
}

}  // namespace zelmot::previous
