// Runs the compiled ShowOnly program for one frame. PrepareFilter turns the
// postfix words into steps once per program: each field's read resolved
// from its opcode and inline word, and a literal followed by a binary
// operator folded into that operator (so SA == 5 is three steps: push SA,
// compare with 5, end). The steps run on a stack of 32-bit values whose top
// is kept apart (Top), so an operator with a literal touches no memory.
// A field the frame lacks, or whose byte would lie at or past the frame's
// byte count, reads as 65536, which no byte or word can equal. Arithmetic
// wraps modulo 2^32; nothing here allocates after a program is prepared.
#include <cassert>
#include <cstdint>

#include "filter/filter_state.h"
#include "fdl/fdl_codes.h"
#include "filter/opcodes.h"

namespace zelmot {
namespace {

constexpr std::int32_t kAbsent = 0x10000;

// Step codes. A step that stands for one opcode has the opcode's number; a
// binary operator whose right operand is a literal has its number plus
// kLiteralOperand; the rest have numbers of their own past the opcodes.
constexpr std::uint8_t kLiteralOperand = 64;
constexpr std::uint8_t Code(Opcode code) { return static_cast<std::uint8_t>(Word(code)); }
constexpr std::uint8_t WithLiteral(Opcode code) { return static_cast<std::uint8_t>(Word(code) + kLiteralOperand); }
constexpr std::uint8_t kStepEnd = Code(Opcode::START);  // the value on top is the result
constexpr std::uint8_t kStepPassAll = 40;               // an empty program: every frame gets its line
constexpr std::uint8_t kStepStop = 41;                  // a word the compiler never writes
constexpr std::uint8_t kStepSourceAddress = 42;         // ADDRESS 1; ADDRESS 0 is Code(ADDRESS)
constexpr std::uint8_t kStepAbsent = 43;                // a field that no frame has: ADDRESS 2 and on

static_assert(Word(Opcode::END_OF_TEXT) < kStepPassAll && kStepAbsent < kLiteralOperand &&
                  Word(Opcode::OR) + kLiteralOperand < 256,
              "step codes: opcodes, then the steps of their own, then the operators with a literal");

std::int32_t FieldByte(const FilterInputs& in, std::int32_t location) {
    return (location >= 0 && location < in.Count) ? in.Bytes[location] : kAbsent;
}

// n = 0: the destination address, n = 1: the source address after it.
std::int32_t Address(const FilterInputs& in, std::int32_t n) {
    if (in.Fields.DA < 0) return kAbsent;
    const std::int32_t byte = FieldByte(in, in.Fields.DA + n);
    return byte == kAbsent ? kAbsent : (byte & fdl::AddressMask);
}

std::int32_t DataByteAt(const FilterInputs& in, std::int32_t n) {
    if (in.Fields.Data < 0 || n < 0 || n >= in.Fields.DataLen) return kAbsent;
    return FieldByte(in, in.Fields.Data + n);
}

// Big-endian: the byte at n is the high byte.
std::int32_t DataWordAt(const FilterInputs& in, std::int32_t n) {
    if (in.Fields.Data < 0 || n < 0 || n >= in.Fields.DataLen - 1) return kAbsent;
    const std::int32_t high = FieldByte(in, in.Fields.Data + n);
    const std::int32_t low = FieldByte(in, in.Fields.Data + n + 1);
    return (high == kAbsent || low == kAbsent) ? kAbsent : high * 256 + low;
}

std::int32_t Wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }
std::uint32_t Bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }

std::int32_t Divide(std::int32_t a, std::int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return Wrap(0u - Bits(a));  // INT_MIN / -1 stays INT_MIN
    return a / b;
}

std::int32_t Remainder(std::int32_t a, std::int32_t b) {
    return (b == 0 || b == -1) ? 0 : a % b;
}

// The step of an operand opcode and its inline word.
FilterStep OperandStep(Opcode code, std::int32_t n) {
    switch (code) {
        case Opcode::ADDRESS:
            if (n == 0) return {Code(code), 0};
            if (n == 1) return {kStepSourceAddress, 0};
            return {kStepAbsent, 0};
        case Opcode::CmdArg:
            // Only four arguments exist; any other index reads 0.
            if (n >= 0 && n < 4) return {Code(code), n};
            return {Code(Opcode::LITERAL), 0};
        default:
            return {Code(code), n};
    }
}

}  // namespace

void PrepareFilter(FilterState& state) {
    const std::vector<std::int32_t>& program = state.FilterProgram;
    std::vector<FilterStep>& steps = state.Steps;
    steps.clear();
    state.ReadsGaps = false;
    if (program.empty() || program[0] == 0) {
        steps.push_back({kStepPassAll, 0});
        return;
    }
    std::size_t pc = 0;
    for (;;) {
        // The compiler ends every program with its 0 word.
        if (pc >= program.size()) {
            steps.push_back({kStepStop, 0});
            break;
        }
        const auto code = static_cast<Opcode>(program[pc++]);
        if (code == Opcode::START) {
            steps.push_back({kStepEnd, 0});
            break;
        }
        if (IsUnaryOperator(code) || IsBinaryOperator(code)) {
            steps.push_back({Code(code), 0});
            continue;
        }
        if (!IsOperand(code) || (HasInlineWord(code) && pc >= program.size())) {
            steps.push_back({kStepStop, 0});
            break;
        }
        const std::int32_t n = HasInlineWord(code) ? program[pc++] : 0;
        state.ReadsGaps = state.ReadsGaps || code == Opcode::GapTme || code == Opcode::GapAft;
        // A literal right before a binary operator becomes that operator's right operand.
        if (code == Opcode::LITERAL && pc < program.size() && IsBinaryOperator(static_cast<Opcode>(program[pc]))) {
            steps.push_back({WithLiteral(static_cast<Opcode>(program[pc++])), n});
            continue;
        }
        steps.push_back(OperandStep(code, n));
    }
    // No program needs more stack entries than it has steps.
    if (state.Stack.size() < steps.size() + 1) state.Stack.resize(steps.size() + 1);
}

std::int32_t EvaluateFilter(FilterState& state, const FilterInputs& in) {
    if (state.Steps.empty()) PrepareFilter(state);
    // Below holds the values under the top: Below[1] .. Below[depth - 1];
    // a push stores the old top at Below[depth], so Below[0] takes the
    // meaningless top of an empty stack.
    std::int32_t* const below = state.Stack.data();
    std::size_t depth = 0;
    std::int32_t top = 0;
    auto push = [&](std::int32_t value) {
        assert(depth < state.Stack.size());
        below[depth++] = top;
        top = value;
    };
    // A program of the compiler never pops below what it pushed.
    auto pop = [&]() {
        assert(depth >= 2);
        return below[--depth];
    };
    for (const FilterStep* step = state.Steps.data();; ++step) {
        assert(step < state.Steps.data() + state.Steps.size());
        const std::int32_t n = step->Operand;
        switch (step->Code) {
            case kStepEnd: assert(depth >= 1); return top;
            case kStepPassAll: return 1;
            case kStepStop: return depth > 0 ? top : 1;
            case Code(Opcode::STS): push(in.Fields.Status); break;
            case Code(Opcode::LEN): push(in.Fields.DataLen); break;
            case Code(Opcode::SD): push(in.Fields.SD); break;
            case Code(Opcode::ADDRESS): push(Address(in, 0)); break;
            case kStepSourceAddress: push(Address(in, 1)); break;
            case kStepAbsent: push(kAbsent); break;
            case Code(Opcode::FC): push(FieldByte(in, in.Fields.FC)); break;
            case Code(Opcode::DSAP): push(FieldByte(in, in.Fields.DSAP)); break;
            case Code(Opcode::SSAP): push(FieldByte(in, in.Fields.SSAP)); break;
            case Code(Opcode::GapTme): push(in.GapUs); break;
            case Code(Opcode::GapAft): push(in.GapAftUs); break;
            case Code(Opcode::DataByte): push(DataByteAt(in, n)); break;
            case Code(Opcode::DataWord): push(DataWordAt(in, n)); break;
            case Code(Opcode::LITERAL): push(n); break;
            case Code(Opcode::CmdArg): push(state.FilterArgs[static_cast<std::size_t>(n)]); break;
            case Code(Opcode::NOT): top = top == 0; break;
            case Code(Opcode::NEGATE): top = Wrap(0u - Bits(top)); break;
            case Code(Opcode::COMPL): top = ~top; break;
            // Binary operators: a (pushed first) op b (the top, or the literal).
            case Code(Opcode::MULT): top = Wrap(Bits(pop()) * Bits(top)); break;
            case WithLiteral(Opcode::MULT): top = Wrap(Bits(top) * Bits(n)); break;
            case Code(Opcode::DIV): top = Divide(pop(), top); break;
            case WithLiteral(Opcode::DIV): top = Divide(top, n); break;
            case Code(Opcode::MOD): top = Remainder(pop(), top); break;
            case WithLiteral(Opcode::MOD): top = Remainder(top, n); break;
            case Code(Opcode::ADD): top = Wrap(Bits(pop()) + Bits(top)); break;
            case WithLiteral(Opcode::ADD): top = Wrap(Bits(top) + Bits(n)); break;
            case Code(Opcode::SUB): top = Wrap(Bits(pop()) - Bits(top)); break;
            case WithLiteral(Opcode::SUB): top = Wrap(Bits(top) - Bits(n)); break;
            case Code(Opcode::LESS): top = pop() < top; break;
            case WithLiteral(Opcode::LESS): top = top < n; break;
            case Code(Opcode::GREATER): top = pop() > top; break;
            case WithLiteral(Opcode::GREATER): top = top > n; break;
            case Code(Opcode::LESSEQUAL): top = pop() <= top; break;
            case WithLiteral(Opcode::LESSEQUAL): top = top <= n; break;
            case Code(Opcode::GREATEREQUAL): top = pop() >= top; break;
            case WithLiteral(Opcode::GREATEREQUAL): top = top >= n; break;
            case Code(Opcode::EQUAL): top = pop() == top; break;
            case WithLiteral(Opcode::EQUAL): top = top == n; break;
            case Code(Opcode::NOTEQUAL): top = pop() != top; break;
            case WithLiteral(Opcode::NOTEQUAL): top = top != n; break;
            case Code(Opcode::BITWISEAND): top = pop() & top; break;
            case WithLiteral(Opcode::BITWISEAND): top = top & n; break;
            case Code(Opcode::BITWISEOR): top = pop() | top; break;
            case WithLiteral(Opcode::BITWISEOR): top = top | n; break;
            case Code(Opcode::BITWISEXOR): top = pop() ^ top; break;
            case WithLiteral(Opcode::BITWISEXOR): top = top ^ n; break;
            case Code(Opcode::AND): top = (pop() != 0) & (top != 0); break;
            case WithLiteral(Opcode::AND): top = top != 0 && n != 0; break;
            case Code(Opcode::OR): top = (pop() != 0) | (top != 0); break;
            case WithLiteral(Opcode::OR): top = top != 0 || n != 0; break;
            default: assert(false && "a step PrepareFilter never makes"); return depth > 0 ? top : 1;
        }
    }
}

}  // namespace zelmot
