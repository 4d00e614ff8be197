// The UTF-8 decoder and the helpers built on it. A sequence is checked for
// its shortest form and range when it ends, so an overlong or surrogate
// sequence counts as one bad character.
#include "common/utf8_text.h"

namespace zelmot::utf8 {
namespace {

constexpr char32_t kLastCode = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0u) == 0x80u; }

Step Begin(Decoder& d, std::uint8_t byte) {
    if (byte < 0x80) {
        d.Code = byte;
        return Step::Done;
    }
    if (byte >= 0xC2 && byte <= 0xDF) {
        d = Decoder{static_cast<char32_t>(byte & 0x1Fu), 1, 0x80};
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        d = Decoder{static_cast<char32_t>(byte & 0x0Fu), 2, 0x800};
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        d = Decoder{static_cast<char32_t>(byte & 0x07u), 3, 0x10000};
    } else {
        return Step::Bad;
    }
    return Step::Pending;
}

}  // namespace

Step Feed(Decoder& d, std::uint8_t byte) {
    if (d.Need == 0) return Begin(d, byte);
    if (!IsContinuation(byte)) {
        d.Need = 0;
        return Step::BadAgain;
    }
    d.Code = d.Code << 6 | (byte & 0x3Fu);
    if (--d.Need > 0) return Step::Pending;
    const bool valid = d.Code >= d.Least && d.Code <= kLastCode && (d.Code < kFirstSurrogate || d.Code > kLastSurrogate);
    return valid ? Step::Done : Step::Bad;
}

bool IsValid(std::string_view text) {
    Decoder d;
    for (char c : text) {
        const Step step = Feed(d, static_cast<std::uint8_t>(c));
        if (step == Step::Bad || step == Step::BadAgain) return false;
    }
    return !Unfinished(d);
}

void Append(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::size_t FitLength(std::string_view text, std::size_t max) {
    if (text.size() <= max) return text.size();
    std::size_t end = max;
    while (end > 0 && IsContinuation(static_cast<std::uint8_t>(text[end]))) --end;
    return end;
}

std::string MakeValid(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    Decoder d;
    for (std::size_t i = 0; i < text.size();) {
        const Step step = Feed(d, static_cast<std::uint8_t>(text[i]));
        if (step == Step::Done) Append(out, d.Code);
        if (step == Step::Bad || step == Step::BadAgain) Append(out, kReplacement);
        if (step != Step::BadAgain) ++i;
    }
    if (Unfinished(d)) Append(out, kReplacement);
    return out;
}

}  // namespace zelmot::utf8
