// Detecting a device file's encoding and decoding it a character at a time
// into UTF-8 with its control characters tamed.
#include "gsd/gsd_encoding.h"

#include <string>
#include <utility>

namespace zelmot {
namespace {

constexpr char32_t kNone = 0;

// Windows-1252 at 0x80-0x9F; kNone where it defines no character.
constexpr char32_t kWindows1252[32] = {
    0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kNone,  0x017D, kNone,
    kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178,
};

constexpr unsigned char kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

char32_t Latin1Code(int byte) {
    if (byte < 0x80 || byte > 0x9F) return static_cast<char32_t>(byte);
    const char32_t code = kWindows1252[byte - 0x80];
    return code == kNone ? utf8::kReplacement : code;
}

// The character as the reader takes it.
char32_t Tamed(char32_t code) {
    if (code == '\n' || code == '\r') return '\n';
    if (code < 0x20 || code == 0x7F) return ' ';
    if (code >= 0x80 && code <= 0x9F) return utf8::kReplacement;
    return code;
}

void Put(GsdCharDecoder& d, char32_t code) {
    std::string bytes;
    utf8::Append(bytes, Tamed(code));
    d.ReadyAt = 0;
    d.ReadyEnd = static_cast<std::uint8_t>(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) d.Ready[i] = bytes[i];
}

}  // namespace

GsdEncoding DetectGsdEncoding(TextSource& source) {
    utf8::Decoder decoder;
    std::size_t count = 0;
    bool markSoFar = true;
    for (int c = NextTextChar(source); c != kEndOfText; c = NextTextChar(source), ++count) {
        if (markSoFar && count < 3) {
            markSoFar = c == kByteOrderMark[count];
            if (markSoFar && count == 2) return GsdEncoding::Utf8;
        }
        const utf8::Step step = utf8::Feed(decoder, static_cast<std::uint8_t>(c));
        if (step == utf8::Step::Bad || step == utf8::Step::BadAgain) return GsdEncoding::Latin1;
    }
    return utf8::Unfinished(decoder) ? GsdEncoding::Latin1 : GsdEncoding::Utf8;
}

int NextGsdChar(TextSource& source, GsdCharDecoder& d) {
    for (;;) {
        if (d.ReadyAt < d.ReadyEnd) return static_cast<unsigned char>(d.Ready[d.ReadyAt++]);
        const int c = d.Again != -2 ? std::exchange(d.Again, -2) : NextTextChar(source);
        if (c == kEndOfText) {
            if (!utf8::Unfinished(d.Utf8)) return kEndOfText;
            d.Utf8 = utf8::Decoder{};
            Put(d, utf8::kReplacement);
            continue;
        }
        if (d.Encoding == GsdEncoding::Latin1) {
            Put(d, Latin1Code(c));
            continue;
        }
        switch (utf8::Feed(d.Utf8, static_cast<std::uint8_t>(c))) {
            case utf8::Step::Pending: break;
            case utf8::Step::Done: Put(d, d.Utf8.Code); break;
            case utf8::Step::BadAgain: d.Again = c; Put(d, utf8::kReplacement); break;
            case utf8::Step::Bad: Put(d, utf8::kReplacement); break;
        }
    }
}

}  // namespace zelmot
