// The lines of a device file as the keyword reader sees them: a ';' outside
// a quoted text starts a comment that runs to the end of the physical line,
// a '\' at the end of a line (after the comment is cut) joins the next line
// to it, and a line keeps at most kGsdMaxLineLength characters however long
// it is in the file.
#pragma once

#include <cstdint>
#include <string>

#include "common/text_source.h"

namespace zelmot {

struct GsdLineSource {
    TextSource Source;
    std::uint32_t NextLine = 1;  // number of the next physical line
};

struct GsdLine {
    std::string Text;          // comments left out, continuations joined by a space
    std::uint32_t Number = 0;  // its first physical line
    bool TooLong = false;      // Text holds only the first kGsdMaxLineLength characters
    bool OpenQuote = false;    // a physical line ended inside a quoted text
};

// The next line; false at the end of the source with nothing read.
bool ReadGsdLine(GsdLineSource& source, GsdLine& line);

}  // namespace zelmot
