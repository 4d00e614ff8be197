// Whether a stream is a terminal (the progress line is shown only there).
#pragma once

#include <cstdio>

namespace zelmot {

bool IsTerminal(std::FILE* stream);

}  // namespace zelmot
