// What an operation that can fail hands back: nothing (success), the regular
// end of the capture data (only the frame reader gives it), or an error
// message of at most 499 characters, which callers pass up unchanged.
#pragma once

#include <cstdint>
#include <string>

namespace zelmot {

constexpr std::size_t kErrorTextMax = 499;

struct Outcome {
    enum class Kind : std::uint8_t { Ok, EndOfCapture, Error };
    Kind Result = Kind::Ok;
    std::string Text;  // the message when Result is Error

    bool IsOk() const { return Result == Kind::Ok; }
    bool IsEnd() const { return Result == Kind::EndOfCapture; }
    bool IsError() const { return Result == Kind::Error; }
};

inline Outcome Success() { return Outcome{}; }
inline Outcome EndOfCapture() { return Outcome{Outcome::Kind::EndOfCapture, {}}; }

// Formats a message as printf does, cut to 499 characters.
Outcome ErrorText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A message given as it stands, cut to 499 characters.
Outcome ErrorTextOf(std::string text);

}  // namespace zelmot
