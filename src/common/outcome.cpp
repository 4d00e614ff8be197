// Message formatting for failed operations.
#include "common/outcome.h"

#include <cstdarg>
#include <cstdio>

namespace zelmot {

Outcome ErrorText(const char* format, ...) {
    char buffer[kErrorTextMax + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return Outcome{Outcome::Kind::Error, std::string(buffer)};
}

Outcome ErrorTextOf(std::string text) {
    if (text.size() > kErrorTextMax) text.resize(kErrorTextMax);
    return Outcome{Outcome::Kind::Error, std::move(text)};
}

}  // namespace zelmot
