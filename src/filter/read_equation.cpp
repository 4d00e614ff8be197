// ReadShowOnlyEquation: capture, substitution and compilation of one ShowOnly
// section, and the message that a compile failure becomes.
#include <array>
#include <string_view>

#include "filter/equation_text.h"
#include "filter/filter_compiler.h"
#include "filter/filter_state.h"

namespace zelmot {
namespace {

// Message words of the compile errors 300 to 306.
constexpr std::array<std::string_view, 7> kCompileErrorText{{
    "Missing Parenthesis '", "Missing Parameter '", "Missing Operator '", "Invalid Parameter '",
    "Invalid Operator '", "Invalid Value '", "Ambiguous Operator '",
}};

// The message quotes the substituted text from the error position on; a
// position of -1 (an operator as the first character) quotes all of it.
Outcome CompileErrorText(const CompileResult& result, const std::string& substituted) {
    std::string message = "Option ShowOnly Expression Error: ";
    const int index = result.ErrorCode - kMissingParenthesis;
    if (index < 0 || index >= static_cast<int>(kCompileErrorText.size())) {
        return ErrorTextOf(message + "Unknown");
    }
    message += kCompileErrorText[static_cast<std::size_t>(index)];
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
    state.Stack.assign(state.FilterProgram.size(), 0);
    return Success();
}

}  // namespace zelmot
