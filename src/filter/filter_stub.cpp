// Placeholder until the filter lands: captures up to '#', passes every frame.
#include "filter/filter_state.h"

namespace zelmot {

Outcome ReadShowOnlyEquation(TextSource& source, FilterState& state) {
    state.EquationText.clear();
    for (int c = NextTextChar(source); c != '#'; c = NextTextChar(source)) {
        if (c == kEndOfText) return ErrorText("Invalid Option ShowOnly Equation: End Marker '#' not found '%s'", state.EquationText.c_str());
        state.EquationText.push_back(static_cast<char>(c));
    }
    state.FilterProgram.assign(1, 0);
    return Success();
}

std::int32_t EvaluateFilter(FilterState&, const FilterInputs&) { return 1; }

}  // namespace zelmot
