// The ShowOnly filter's state for one run: the captured equation, its
// compiled postfix program, the program prepared for evaluation and the four
// command-line arguments it reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fdl/frame_fields.h"
#include "common/outcome.h"
#include "common/text_source.h"

namespace zelmot {

// One instruction of a prepared program: a field's read resolved from the
// opcode and its inline word, a literal followed by a binary operator folded
// into that operator as its right operand, the end. Only the evaluator reads
// the codes.
struct FilterStep {
    std::uint8_t Code = 0;
    std::int32_t Operand = 0;
};

struct FilterState {
    std::string EquationText;                 // as captured, at most 4095 characters
    std::vector<std::int32_t> FilterProgram;  // postfix words; ends at the first 0 opcode
    std::array<std::int32_t, 4> FilterArgs{};  // CmdArg[0] .. CmdArg[3]
    // FilterProgram prepared for evaluation (PrepareFilter); empty until then.
    std::vector<FilterStep> Steps;
    bool ReadsGaps = false;                   // the program reads GapTme or GapAft
    std::vector<std::int32_t> Stack;          // evaluation stack storage, reused
};

// One frame as the filter sees it.
struct FilterInputs {
    const std::uint8_t* Bytes = nullptr;  // the frame bytes,
    std::uint8_t Count = 0;               // count of them; nothing at or past Count is read
    FrameFieldView Fields;                // where the fields lie in Bytes
    std::int32_t GapUs = 0;
    std::int32_t GapAftUs = 0;
};

// A gap in nanoseconds as the filter reads it: microseconds, truncated
// toward zero and held within the 32-bit range.
inline std::int32_t ToFilterMicroseconds(std::int64_t ns) {
    std::int64_t us = ns / 1000;
    if (us > INT32_MAX) return INT32_MAX;
    if (us < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(us);
}

// Reads the equation that follows a ShowOnly line up to and including its
// '#', substitutes its identifiers and compiles it into state.FilterProgram.
Outcome ReadShowOnlyEquation(TextSource& source, FilterState& state);

// Prepares FilterProgram for evaluation; again whenever the program changes
// (ReadShowOnlyEquation prepares what it compiles).
void PrepareFilter(FilterState& state);

// Runs the program for one frame: 0 means no line, anything else a line. A
// program never prepared is prepared first.
std::int32_t EvaluateFilter(FilterState& state, const FilterInputs& in);

}  // namespace zelmot
