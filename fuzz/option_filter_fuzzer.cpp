// Fuzz target: the option file reader on an arbitrary text, ShowOnly sections
// included (capture, substitution, compiler), then the compiled program run
// against arbitrary frames. Checked after every input: the stored options lie
// within the limits the columns rely on, a message fits its 499 characters,
// a compiled program is well formed (every operator finds its operands, one
// value remains), and evaluating a frame twice gives the same result, the
// one the previous word-by-word evaluator (tests/filter) gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "capture/capture_frame.h"
#include "filter/filter_state.h"
#include "filter/opcodes.h"
#include "filter/previous_evaluator.h"
#include "fuzz_input.h"
#include "options/option_file.h"

namespace zelmot::fuzz {
namespace {

constexpr int kMaxFrames = 64;

[[noreturn]] void Breach(const char* what) {
    std::fprintf(stderr, "zelmot fuzz: %s\n", what);
    std::abort();
}

void CheckOptions(const Outcome& result, const DisplayOptions& options, const FilterState& filter) {
    if (result.IsError() && (result.Text.empty() || result.Text.size() > kErrorTextMax))
        Breach("message empty or longer than 499 characters");
    if (result.IsEnd()) Breach("option reading ended with EndOfCapture");
    for (const TimeFormat* format : {&options.TmeAbs, &options.TmeGap, &options.TmeGapAft, &options.TmeDelta})
        if (std::memchr(format->Text, '\0', sizeof format->Text) == nullptr) Breach("time format not terminated");
    for (const GraphSpec* graph : {&options.GrphGap, &options.GrphGapAft, &options.GrphDelta})
        if (graph->Width != 0 && (graph->Width < 5 || graph->Width > 100)) Breach("graph width outside 5-100");
    if (filter.EquationText.size() > 4095) Breach("equation text longer than 4095 characters");
}

// Walks a compiled program as the evaluator will: every opcode known, every
// inline word present, no operator short of operands, one value at the end.
void CheckProgram(const std::vector<std::int32_t>& program) {
    std::size_t depth = 0;
    for (std::size_t pc = 0;; ++pc) {
        if (pc >= program.size()) Breach("program without its end word");
        const auto code = static_cast<Opcode>(program[pc]);
        if (code == Opcode::START) {
            if (pc != 0 && depth != 1) Breach("program leaves other than one value");
            return;
        }
        if (IsOperand(code)) {
            ++depth;
            if (HasInlineWord(code) && ++pc >= program.size()) Breach("inline word missing");
        } else if (IsUnaryOperator(code)) {
            if (depth < 1) Breach("unary operator without operand");
        } else if (IsBinaryOperator(code)) {
            if (depth < 2) Breach("binary operator without two operands");
            --depth;
        } else {
            Breach("unknown opcode in program");
        }
    }
}

// One frame from the input, its fields located as the run locates them (or,
// by its mode bit, anywhere), evaluated twice on a copy of exactly its bytes.
void EvaluateFrame(ByteReader& in, FilterState& filter) {
    const std::uint8_t mode = in.Byte();
    std::size_t count = in.Byte();
    std::string bytes = in.Take(count + 1);
    if (bytes.empty()) bytes.push_back('\0');
    count = bytes.size() - 1;

    CaptureFrame frame;
    std::memcpy(frame.Bytes.data(), bytes.data(), bytes.size());
    frame.Length = static_cast<std::uint8_t>(count);
    frame.Status = frame.Bytes[count];
    LocateFrameFields(frame);

    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[count]);
    std::memcpy(exact.get(), bytes.data(), count);
    FilterInputs fields{exact.get(), frame.Length, frame.Fields, 0, 0};  // exactly count bytes, so any read past them is seen
    if ((mode & kFrameFreeLocations) != 0) {
        FrameFieldView& view = fields.Fields;
        for (std::int16_t* location : {&view.DA, &view.FC, &view.DSAP, &view.SSAP, &view.Data})
            *location = static_cast<std::int16_t>(in.Number(2));
        view.DataLen = in.Byte();
    }
    fields.GapUs = static_cast<std::int32_t>(in.Number(4));
    fields.GapAftUs = static_cast<std::int32_t>(in.Number(4));
    const std::int32_t once = EvaluateFilter(filter, fields);
    if (EvaluateFilter(filter, fields) != once) Breach("evaluation not repeatable");
    if (previous::EvaluateWords(filter.FilterProgram, filter.FilterArgs, fields) != once)
        Breach("evaluation differs from the previous evaluator's");
}

}  // namespace
}  // namespace zelmot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelmot;
    fuzz::ByteReader in{data, size};
    const std::string text = in.Take(in.Number(2));
    FilterState filter;
    for (std::int32_t& arg : filter.FilterArgs) arg = static_cast<std::int32_t>(in.Number(4));
    DisplayOptions options;
    TextSource source;
    source.Text = text;
    const Outcome result = ReadOptionLines(source, options, filter);
    fuzz::CheckOptions(result, options, filter);
    if (!result.IsOk() || !options.ShowOnlyActive) return 0;
    fuzz::CheckProgram(filter.FilterProgram);
    for (int frames = 0; frames < fuzz::kMaxFrames && in.Left() > 0; ++frames) fuzz::EvaluateFrame(in, filter);
    return 0;
}
