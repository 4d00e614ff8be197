// The characters of a device file as the reader sees them: valid UTF-8
// whatever bytes the file holds. A file that begins with the UTF-8 byte
// order mark, or is valid UTF-8 throughout, is UTF-8; any other is Latin-1
// as Windows writes it (ISO 8859-1, with Windows-1252's printable
// characters at 0x80-0x9F). The file is decoded once, as it is read, so
// every text handed out (names, parameter and diagnosis texts, warnings)
// can go into any output as it stands:
// - a control character (NUL, tab, escape, ..., DEL) reads as a blank;
//   a carriage return alone ends a line, as one before a line feed does;
// - a C1 control character (U+0080-U+009F), a byte Windows-1252 leaves
//   undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) and bytes that are no valid
//   UTF-8 in a file with the byte order mark read as U+FFFD.
#pragma once

#include <cstdint>

#include "common/text_source.h"
#include "common/utf8_text.h"

namespace zelmot {

enum class GsdEncoding : std::uint8_t { Utf8, Latin1 };

// Reads source to its end (the caller starts it over) and tells its encoding.
GsdEncoding DetectGsdEncoding(TextSource& source);

// The decoding of one source: the encoding and the bytes of a character
// decoded but not yet handed out.
struct GsdCharDecoder {
    GsdEncoding Encoding = GsdEncoding::Utf8;
    utf8::Decoder Utf8;
    int Again = -2;        // a byte to feed again (-2: none)
    char Ready[4] = {};    // the decoded character's bytes
    std::uint8_t ReadyAt = 0;
    std::uint8_t ReadyEnd = 0;
};

// The next byte of the decoded text (0-255; a line ends with '\n'), or
// kEndOfText.
int NextGsdChar(TextSource& source, GsdCharDecoder& decoder);

}  // namespace zelmot
