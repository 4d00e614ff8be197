// Escaping and number texts for the HTML page. No locale is consulted: the
// separators are fixed, so the page reads the same wherever it is written.
#include "stats/html_text.h"

#include <cmath>
#include <cstdio>

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

std::string Grouped(std::string digits, bool negative) {
    std::string result;
    const std::size_t count = digits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) result += ',';
        result += digits[i];
    }
    return negative ? "-" + result : result;
}

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

std::string GroupedUnsigned(std::uint64_t value) { return Grouped(std::to_string(value), false); }

std::string GroupedInteger(std::int64_t value) {
    // The magnitude as unsigned, so that the most negative value works too.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return Grouped(std::to_string(magnitude), value < 0);
}

std::string GroupedFixed(double value, int decimals) {
    if (!std::isfinite(value)) return std::isnan(value) ? "n/a" : (value < 0 ? "-inf" : "inf");
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::fabs(value));
    const std::string_view all(text);
    const std::size_t point = all.find('.');
    const std::string whole(all.substr(0, point));
    const std::string fraction(point == std::string_view::npos ? "" : all.substr(point));
    const bool zero = all.find_first_not_of("0.") == std::string_view::npos;
    return Grouped(whole, value < 0 && !zero) + fraction;
}

std::string MicrosecondsText(std::int64_t ns) {
    const std::uint64_t magnitude =
        ns < 0 ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03u", static_cast<unsigned>(magnitude % 1000));
    return Grouped(std::to_string(magnitude / 1000), ns < 0) + fraction;
}

std::string MicrosecondsText(double ns) { return GroupedFixed(ns / 1000.0, 3); }

std::string ClockText(std::int64_t ns, int fractionDigits) {
    const bool negative = ns < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(ns) : static_cast<std::uint64_t>(ns);
    const std::uint64_t seconds = magnitude / 1000000000u;
    char text[64];
    int used = std::snprintf(text, sizeof text, "%s%02llu:%02u:%02u", negative ? "-" : "",
                             static_cast<unsigned long long>(seconds / 3600),
                             static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    if (fractionDigits > 0) {
        if (fractionDigits > 9) fractionDigits = 9;
        std::uint64_t fraction = magnitude % 1000000000u;
        for (int k = fractionDigits; k < 9; ++k) fraction /= 10;
        std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), ".%0*llu", fractionDigits,
                      static_cast<unsigned long long>(fraction));
    }
    return text;
}

std::string TimeOfDayText(std::int64_t ns) {
    std::string text = ClockText(ns, 6);
    text.insert(text.size() - 3, 1, ' ');
    return text;
}

}  // namespace zelmot
