// The one formatting layer every piece of output text goes through.
//
// A TextOut is the buffered writer (common/byte_writer.h) opened for text;
// the functions here put pieces into it: characters, texts, numbers with a
// width, hex bytes. Nothing here talks to the file per piece; a write error
// is remembered and reported when the TextOut is closed.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "common/byte_writer.h"

namespace zelmot {

using TextOut = ByteWriter;

// Creates or empties the file at path for writing text. False if it can't.
inline bool OpenTextOutFile(TextOut& out, const std::string& path) {
    return OpenWriterFile(out, path, FileMode::Text);
}
// Makes out collect its text in *memory.
inline void OpenTextOutMemory(TextOut& out, std::string* memory) { OpenWriterMemory(out, memory); }
// Hands the pending text on.
inline void FlushTextOut(TextOut& out) { FlushWriter(out); }
// Flushes and closes; harmless when already closed. False if any write failed.
inline bool CloseTextOut(TextOut& out) { return CloseWriter(out); }

[[gnu::always_inline]] inline void PutChar(TextOut& out, char c) {
    *Reserve(out, 1) = c;
    ++out.Used;
}

// Copies n bytes; short pieces (the usual column texts) without a call.
inline void CopyBytes(char* to, const char* from, std::size_t n) {
    if (n >= 4 && n <= 16) {
        if (n >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + n - 8, from + n - 8, 8);
        } else {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        }
    } else if (n > 0 && n < 4) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    } else if (n > 16) {
        std::memcpy(to, from, n);
    }
}

[[gnu::always_inline]] inline void PutText(TextOut& out, std::string_view text) {
    CopyBytes(Reserve(out, text.size()), text.data(), text.size());
    out.Used += text.size();
}

inline void PutRepeated(TextOut& out, char c, std::size_t count) {
    std::memset(Reserve(out, count), c, count);
    out.Used += count;
}

enum class Pad : std::uint8_t {
    Blank,  // right-justified, blank-filled, as "%3u"
    Zero,   // right-justified, zero-filled, as "%03u"
    Left,   // left-justified, blank-filled, as "%-3u"
};

// A number below 1000 as text: its digits, blanks after them, and how many
// digits it has.
struct SmallNumberText {
    char Text[3];
    std::uint8_t Digits;
};

inline constexpr auto kSmallNumbers = [] {
    std::array<SmallNumberText, 1000> numbers{};
    for (unsigned value = 0; value < 1000; ++value) {
        SmallNumberText& n = numbers[value];
        n.Digits = value >= 100 ? 3 : value >= 10 ? 2 : 1;
        const char digits[3] = {static_cast<char>('0' + value / 100), static_cast<char>('0' + value / 10 % 10),
                                static_cast<char>('0' + value % 10)};
        for (unsigned i = 0; i < 3; ++i) n.Text[i] = i < n.Digits ? digits[3 - n.Digits + i] : ' ';
    }
    return numbers;
}();

// Every value below 1000 zero-filled to three digits and a spare byte, one
// after the other, so that such a number is one four-byte copy.
inline constexpr auto kThreeDigits = [] {
    std::array<char, 4 * 1000> digits{};
    for (unsigned v = 0; v < 1000; ++v) {
        digits[4 * v] = static_cast<char>('0' + v / 100);
        digits[4 * v + 1] = static_cast<char>('0' + v / 10 % 10);
        digits[4 * v + 2] = static_cast<char>('0' + v % 10);
    }
    return digits;
}();

// The widest column the number writers fill by one fixed-size store, and
// the fills.
constexpr unsigned kFillSlack = 16;
inline constexpr char kBlankFill[kFillSlack] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                                ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
inline constexpr char kZeroFill[kFillSlack] = {'0', '0', '0', '0', '0', '0', '0', '0',
                                               '0', '0', '0', '0', '0', '0', '0', '0'};

// value in decimal, at least width characters, as printf's "%u" family,
// for any value and width.
void PutUnsignedAnyWidth(TextOut& out, std::uint64_t value, unsigned width, Pad pad);

// value in decimal, at least width characters, as printf's "%u" family.
// Inline for the usual column (addresses, SAPs, small counts): a value
// below 1000 whose digits fit a width of 1 to kFillSlack is a fill of the
// whole column and one store of its digits (with the blanks after them,
// which land in the column's fill or past its end).
inline void PutUnsigned(TextOut& out, std::uint64_t value, unsigned width = 0, Pad pad = Pad::Blank) {
    if (value >= 1000 || width - 1 >= kFillSlack || kSmallNumbers[value].Digits > width)
        return PutUnsignedAnyWidth(out, value, width, pad);
    const SmallNumberText& number = kSmallNumbers[value];
    char* p = Reserve(out, kFillSlack + sizeof number.Text);
    std::memcpy(p, pad == Pad::Zero ? kZeroFill : kBlankFill, kFillSlack);
    std::memcpy(pad == Pad::Left ? p : p + width - number.Digits, number.Text, sizeof number.Text);
    out.Used += width;
}
// value in decimal with a '-' when negative, as printf's "%d" family
void PutSigned(TextOut& out, std::int64_t value, unsigned width = 0, Pad pad = Pad::Blank);
// "000102..fdfeff": every byte as two lower-case hex digits.
inline constexpr auto kHexPairs = [] {
    constexpr char digits[] = "0123456789abcdef";
    std::array<char, 512> pairs{};
    for (unsigned b = 0; b < 256; ++b) {
        pairs[2 * b] = digits[b >> 4];
        pairs[2 * b + 1] = digits[b & 15];
    }
    return pairs;
}();

// value in lower-case hexadecimal, zero-filled to width, as "%02x" or "%08x"
void PutHexAnyWidth(TextOut& out, std::uint64_t value, unsigned width);
// The same; inline for the usual "%08x" of a 32-bit value (a file offset):
// four byte pairs from the table.
inline void PutHex(TextOut& out, std::uint64_t value, unsigned width) {
    if (width != 8 || value > 0xFFFFFFFFu) return PutHexAnyWidth(out, value, width);
    char* p = Reserve(out, 8);
    for (unsigned i = 0; i < 4; ++i) std::memcpy(p + 2 * i, kHexPairs.data() + 2 * ((value >> (24 - 8 * i)) & 0xFF), 2);
    out.Used += 8;
}

// Two lower-case hex digits, as "%02x".
inline void PutHexByte(TextOut& out, std::uint8_t value) {
    std::memcpy(Reserve(out, 2), kHexPairs.data() + 2 * value, 2);
    out.Used += 2;
}

// Anything else, through printf formatting (not for the per-frame path).
void PutFormat(TextOut& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// printf formatting into a string of the length it takes (never cut).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zelmot
