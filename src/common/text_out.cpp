// The pieces of text: numbers in decimal and hex with printf's padding, and
// printf formatting itself for what is not on the per-frame path.
#include "common/text_out.h"

#include <array>
#include <bit>
#include <cstdarg>

namespace zelmot {
namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

unsigned CountDigits(std::uint64_t value) {
    unsigned count = 1;
    while (value >= 10000) {
        value /= 10000;
        count += 4;
    }
    if (value >= 1000) return count + 3;
    if (value >= 100) return count + 2;
    if (value >= 10) return count + 1;
    return count;
}

// Writes the decimal digits of value, the last one just before end, two at
// a time.
[[gnu::always_inline]] inline void WriteDigits(char* end, std::uint64_t value) {
    while (value >= 100) {
        const std::uint64_t rest = value / 100;
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * (value - 100 * rest), 2);
        value = rest;
    }
    if (value >= 10) {
        std::memcpy(end - 2, kDigitPairs + 2 * value, 2);
    } else {
        end[-1] = static_cast<char>('0' + value);
    }
}

// n fill characters at p; short fills (the usual case) as one fixed-size
// store of kFillSlack bytes, which the caller has reserved room for (its
// Reserve covers kFillSlack bytes from p).
void Fill(char* p, char c, unsigned n) {
    if (n <= kFillSlack) {
        std::memcpy(p, c == ' ' ? kBlankFill : kZeroFill, kFillSlack);
    } else {
        std::memset(p, c, n);
    }
}

constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                          100000000, 1000000000, 10000000000ull};
constexpr unsigned kFastWidths = sizeof kPowersOfTen / sizeof kPowersOfTen[0] - 1;

// Whether a magnitude without a sign fills a column of width from its
// right end (the usual column): its digits fit, and the width is one the
// fill's slack covers.
bool FitsColumn(std::uint64_t magnitude, unsigned width, Pad pad) {
    return pad != Pad::Left && width != 0 && width <= kFastWidths && magnitude < kPowersOfTen[width];
}

// The usual column: fill it whole and write the digits over its right end.
void PutFitting(TextOut& out, std::uint64_t magnitude, unsigned width, Pad pad) {
    static_assert(kFastWidths <= kFillSlack, "a fast column fits the fill's slack");
    char* p = Reserve(out, kFillSlack);
    Fill(p, pad == Pad::Zero ? '0' : ' ', width);
    WriteDigits(p + width, magnitude);
    out.Used += width;
}

// A decimal magnitude with an optional '-', padded to width as printf pads.
[[gnu::noinline]] void PutDecimal(TextOut& out, std::uint64_t magnitude, bool negative, unsigned width, Pad pad) {
    unsigned digits = CountDigits(magnitude);
    unsigned length = digits + (negative ? 1u : 0u);
    unsigned fill = width > length ? width - length : 0;
    char* p = Reserve(out, length + fill + kFillSlack);
    char* start = p;
    if (pad == Pad::Blank) {
        Fill(p, ' ', fill);
        p += fill;
    }
    if (negative) *p++ = '-';
    if (pad == Pad::Zero) {
        Fill(p, '0', fill);
        p += fill;
    }
    p += digits;
    WriteDigits(p, magnitude);
    if (pad == Pad::Left) {
        Fill(p, ' ', fill);
        p += fill;
    }
    out.Used += static_cast<std::size_t>(p - start);
}

}  // namespace

void PutUnsignedAnyWidth(TextOut& out, std::uint64_t value, unsigned width, Pad pad) {
    if (FitsColumn(value, width, pad)) return PutFitting(out, value, width, pad);
    PutDecimal(out, value, false, width, pad);
}

void PutSigned(TextOut& out, std::int64_t value, unsigned width, Pad pad) {
    if (value >= 0 && FitsColumn(static_cast<std::uint64_t>(value), width, pad))
        return PutFitting(out, static_cast<std::uint64_t>(value), width, pad);
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    PutDecimal(out, magnitude, value < 0, width, pad);
}

void PutHexAnyWidth(TextOut& out, std::uint64_t value, unsigned width) {
    const unsigned count = value == 0 ? 1u : static_cast<unsigned>(std::bit_width(value) + 3) / 4;
    const unsigned fill = width > count ? width - count : 0;
    char* p = Reserve(out, fill + count + kFillSlack);
    Fill(p, '0', fill);
    // Two digits a byte from the right, then the first digit of an odd count.
    char* digit = p + fill + count;
    for (unsigned pairs = count / 2; pairs > 0; --pairs, value >>= 8) {
        digit -= 2;
        std::memcpy(digit, kHexPairs.data() + 2 * (value & 0xFF), 2);
    }
    if (count % 2 != 0) digit[-1] = kHexPairs[2 * (value & 0xF) + 1];
    out.Used += fill + count;
}

void PutFormat(TextOut& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        char* p = Reserve(out, static_cast<std::size_t>(length) + 1);
        std::vsnprintf(p, static_cast<std::size_t>(length) + 1, format, again);
        out.Used += static_cast<std::size_t>(length);
    }
    va_end(again);
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

}  // namespace zelmot
