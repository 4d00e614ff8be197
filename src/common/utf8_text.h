// UTF-8 without a locale: a decoder fed one byte at a time (for texts read
// from a stream), whether a text is valid UTF-8, appending a character,
// cutting a text without splitting a character, and making any bytes valid
// UTF-8 (what is no part of a valid character becomes U+FFFD). Valid means
// the shortest form of a character up to U+10FFFF that is no surrogate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmot::utf8 {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoder {
    char32_t Code = 0;       // the character so far
    std::uint8_t Need = 0;   // continuation bytes still wanted
    char32_t Least = 0;      // the least character a sequence of this length may hold
};

enum class Step : std::uint8_t {
    Pending,   // the byte began or continued a character: feed the next
    Done,      // the byte ended a character: it is in Code
    Bad,       // the byte is no part of a character (counts as one U+FFFD)
    BadAgain,  // the character before the byte was cut short (one U+FFFD): feed the byte again
};

Step Feed(Decoder& decoder, std::uint8_t byte);

// True when a character was begun and not ended (one U+FFFD at the end).
inline bool Unfinished(const Decoder& decoder) { return decoder.Need != 0; }

bool IsValid(std::string_view text);

// Appends code (at most U+10FFFF, no surrogate) in UTF-8.
void Append(std::string& out, char32_t code);

// The length of the longest front part of valid text that is at most max
// bytes long and does not end inside a character.
std::size_t FitLength(std::string_view text, std::size_t max);

// text with every byte that is no part of a valid character (and a cut
// character at the end) replaced by U+FFFD.
std::string MakeValid(std::string_view text);

}  // namespace zelmot::utf8
