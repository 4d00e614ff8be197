// Joining physical lines into the lines of a device file, comments cut and
// the length bounded; line ends fold in the text source and the decoder.
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
    bool inQuote = false;  // a quoted text runs on over a continuation
    for (;;) {
        bool inComment = false;
        char last = '\0';  // the last character before the comment that is not white space
        int c = NextGsdChar(source.Source, source.Decoder);
        if (c == kEndOfText) {
            line.OpenQuote = inQuote;
            return readAny;
        }
        readAny = true;
        ++source.NextLine;
        for (; c != kEndOfText && c != '\n'; c = NextGsdChar(source.Source, source.Decoder)) {
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
        if (last != '\\') {
            line.OpenQuote = inQuote;
            if (!inQuote) TrimEnd(line.Text);
            return true;
        }
        TrimEnd(line.Text);
        if (!line.TooLong && !line.Text.empty()) line.Text.pop_back();
        if (c == kEndOfText) {
            line.OpenQuote = inQuote;
            return true;
        }
        if (!inQuote) Keep(line, ' ');
    }
}

}  // namespace zelmot
