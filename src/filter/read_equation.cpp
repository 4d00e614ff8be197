// ReadShowOnlyEquation: capture, substitution and compilation of one ShowOnly
// section, and the message that a compile failure becomes.
#include <array>
#include <string_view>

#include "filter/equation_text.h"
#include "filter/filter_compiler.h"
#include "filter/filter_state.h"

namespace zelmot {
namespace {

struct CompileErrorWords {
    int Code;
    std::string_view Text;
};

// The message words of each compile error.
constexpr std::array<CompileErrorWords, 6> kCompileErrors{{
    {kMissingParenthesis, "Missing Parenthesis '"},
    {kMissingParameter, "Missing Parameter '"},
    {kMissingOperator, "Missing Operator '"},
    {kInvalidOperator, "Invalid Operator '"},
    {kInvalidValue, "Invalid Value '"},
    {kAmbiguousOperator, "Ambiguous Operator '"},
}};

// The message quotes the substituted text from the error position on; a
// position of -1 (an operator as the first character) quotes all of it.
Outcome CompileErrorText(const CompileResult& result, const std::string& substituted) {
    std::string message = "Option ShowOnly Expression Error: ";
    const CompileErrorWords* words = nullptr;
    for (const CompileErrorWords& entry : kCompileErrors)
        if (entry.Code == result.ErrorCode) words = &entry;
    if (words == nullptr) return ErrorTextOf(message + "Unknown");
    message += words->Text;
    const std::size_t from = result.ErrorPosition < 0 ? 0 : static_cast<std::size_t>(result.ErrorPosition);
    if (from < substituted.size()) message.append(substituted, from);
    return ErrorTextOf(std::move(message));
}

}  // namespace

Outcome ReadShowOnlyEquation(TextSource& source, FilterState& state) {
    Outcome captured = CaptureEquation(source, state.EquationText);
    if (!captured.IsOk()) return captured;
    std::string substituted;
    Outcome replaced = SubstituteIdentifiers(state.EquationText, substituted);
    if (!replaced.IsOk()) return replaced;
    const CompileResult result = CompileFilter(substituted, state.FilterProgram);
    if (result.ErrorCode != 0) return CompileErrorText(result, substituted);
    PrepareFilter(state);
    return Success();
}

}  // namespace zelmot
