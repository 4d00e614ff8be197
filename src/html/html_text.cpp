// Escaping for the HTML page: every inserted text, in elements, attributes
// and SVG alike.
#include "html/html_text.h"


namespace zelmot {

namespace {

// Length of the well-formed UTF-8 sequence starting at text[i], or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void PutReference(TextOut& out, unsigned code) { PutFormat(out, "&#x%X;", code); }

}  // namespace

void PutEscaped(TextOut& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text, i);
            if (length == 0) {
                PutReference(out, c);  // a Latin-1 character
                ++i;
            } else {
                PutText(out, text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
        case '&': PutText(out, "&amp;"); break;
        case '<': PutText(out, "&lt;"); break;
        case '>': PutText(out, "&gt;"); break;
        case '"': PutText(out, "&quot;"); break;
        case '\'': PutText(out, "&#39;"); break;
        case '\t':
        case '\n': PutChar(out, static_cast<char>(c)); break;
        default:
            if (c < 0x20) PutReference(out, 0x2400u + c);   // control picture
            else if (c == 0x7F) PutReference(out, 0x2421u);
            else PutChar(out, static_cast<char>(c));
        }
        ++i;
    }
}

std::string EscapedText(std::string_view text) {
    std::string result;
    TextOut out;
    OpenTextOutMemory(out, &result);
    PutEscaped(out, text);
    CloseTextOut(out);
    return result;
}

}  // namespace zelmot
