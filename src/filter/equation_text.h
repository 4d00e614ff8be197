// From the option file to the text the compiler reads: capturing the
// equation up to its '#', and substituting the identifiers in it.
#pragma once

#include <cstddef>
#include <string>

#include "common/outcome.h"
#include "common/text_source.h"

namespace zelmot {

constexpr std::size_t kEquationTextMax = 4095;

// Reads characters up to and including the first '#' outside a comment into
// equation (tabs and line feeds as blanks, comments dropped). On failure
// equation keeps what was captured.
Outcome CaptureEquation(TextSource& source, std::string& equation);

// Rewrites equation into substituted: constants become decimal numbers,
// fields a code letter and a number, "0x" literals lower-case "0x".
Outcome SubstituteIdentifiers(const std::string& equation, std::string& substituted);

}  // namespace zelmot
