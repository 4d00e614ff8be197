// Test support: printf-style formatting into a string of whatever length
// the text needs (no fixed buffer that could cut a long path).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace zelmot::test {

// MinGW-w64's C++ runtime formats as C99 says (%zu, %lld), not as the
// Windows C library does; its macro names the format checks that match.
#ifdef __MINGW_PRINTF_FORMAT
#define ZELMOT_TEST_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define ZELMOT_TEST_PRINTF_FORMAT printf
#endif

inline std::string FormatText(const char* format, ...) __attribute__((format(ZELMOT_TEST_PRINTF_FORMAT, 1, 2)));

inline std::string FormatText(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0u, '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

}  // namespace zelmot::test
