// Joining physical lines into the lines of a device file, comments cut and
// the length bounded; the line feed and CR LF fold in the text source.
#include "gsd/gsd_lines.h"

#include "common/ascii.h"
#include "gsd/gsd_device.h"

namespace zelmot {
namespace {

void Keep(GsdLine& line, char c) {
    if (line.Text.size() < kGsdMaxLineLength)
        line.Text.push_back(c);
    else
        line.TooLong = true;
}

void TrimEnd(std::string& text) {
    while (!text.empty() && ascii::IsSpace(text.back())) text.pop_back();
}

}  // namespace

bool ReadGsdLine(GsdLineSource& source, GsdLine& line) {
    line = GsdLine{};
    line.Number = source.NextLine;
    bool readAny = false;
    for (;;) {
        bool inQuote = false;
        bool inComment = false;
        char last = '\0';  // the last character before the comment that is not white space
        int c = NextTextChar(source.Source);
        if (c == kEndOfText) return readAny;
        readAny = true;
        ++source.NextLine;
        for (; c != kEndOfText && c != '\n'; c = NextTextChar(source.Source)) {
            const char ch = static_cast<char>(c);
            if (inComment) continue;
            if (ch == ';' && !inQuote) {
                inComment = true;
                continue;
            }
            if (ch == '"') inQuote = !inQuote;
            if (!ascii::IsSpace(ch)) last = ch;
            Keep(line, ch);
        }
        if (inQuote) {
            line.OpenQuote = true;
            return true;
        }
        TrimEnd(line.Text);
        if (last != '\\') return true;
        if (!line.TooLong && !line.Text.empty()) line.Text.pop_back();
        if (c == kEndOfText) return true;
        Keep(line, ' ');
    }
}

}  // namespace zelmot
