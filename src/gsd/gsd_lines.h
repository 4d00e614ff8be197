// The lines of a device file as the keyword reader sees them, decoded into
// UTF-8 (gsd_encoding.h): a ';' outside a quoted text starts a comment that
// runs to the end of the physical line; a '\' at the end of a line (after
// the comment is cut) joins the next line to it, outside a quoted text with
// a blank between them, inside one directly (the text runs on); and a line
// keeps at most kGsdMaxLineLength bytes however long it is in the file.
#pragma once

#include <cstdint>
#include <string>

#include "common/text_source.h"
#include "gsd/gsd_encoding.h"

namespace zelmot {

struct GsdLineSource {
    TextSource Source;
    GsdCharDecoder Decoder;      // set its Encoding before the first line
    std::uint32_t NextLine = 1;  // number of the next physical line
};

struct GsdLine {
    std::string Text;          // comments left out, continuations joined
    std::uint32_t Number = 0;  // its first physical line
    bool TooLong = false;      // Text holds only the first kGsdMaxLineLength bytes
    bool OpenQuote = false;    // the line ended inside a quoted text
};

// The next line; false at the end of the source with nothing read.
bool ReadGsdLine(GsdLineSource& source, GsdLine& line);

}  // namespace zelmot
