// Equation capture: the characters after a ShowOnly line up to the first '#'
// outside a ';' comment. A comment leaves nothing behind, not even a blank
// for its line end, so text on both sides of it joins.
#include "filter/equation_text.h"

namespace zelmot {
namespace {

Outcome EndMarkerMissing(const std::string& equation) {
    return ErrorTextOf("Invalid Option ShowOnly Equation: End Marker '#' not found '" + equation + "'");
}

// Drops a comment's characters up to and including its line feed; false at
// the end of the text.
bool SkipComment(TextSource& source) {
    for (int c = NextTextChar(source); c != '\n'; c = NextTextChar(source)) {
        if (c == kEndOfText) return false;
    }
    return true;
}

}  // namespace

Outcome CaptureEquation(TextSource& source, std::string& equation) {
    equation.clear();
    for (;;) {
        int c = NextTextChar(source);
        if (c == '#') return Success();
        if (c == kEndOfText) return EndMarkerMissing(equation);
        if (c == ';') {
            if (!SkipComment(source)) return EndMarkerMissing(equation);
            continue;
        }
        if (c == '\t' || c == '\n') c = ' ';
        if (equation.size() >= kEquationTextMax) {
            return ErrorTextOf("Invalid Option ShowOnly Equation: Equation Too Long");
        }
        equation.push_back(static_cast<char>(c));
    }
}

}  // namespace zelmot
