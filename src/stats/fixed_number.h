// A number in fixed notation with a count of decimals, as printf's "%.*f"
// writes it, through std::to_chars into room that fits any double: never
// cut, never a locale's separator.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include "common/text_out.h"

namespace zelmot {

constexpr int kMaxFixedDecimals = 9;
// A sign, 309 integer digits, the point and the decimals.
constexpr std::size_t kMaxFixedChars = 1 + std::numeric_limits<double>::max_exponent10 + 1 + 1 + kMaxFixedDecimals;

// Writes value with decimals (0-9) into at, which has room for
// kMaxFixedChars; returns the end.
char* WriteFixed(char* at, double value, int decimals);
void AppendFixed(std::string& to, double value, int decimals);
void PutFixed(TextOut& out, double value, int decimals);

}  // namespace zelmot
