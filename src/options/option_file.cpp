// Reading the option file: lines of at most 199 characters (a longer line
// arrives in pieces, each read as a line of its own), leading white space
// and the line feed stripped, ';' comments dropped, ShowOnly handed to the
// equation reader on the same source, and every other line parsed as an
// option. The first error ends the reading.
#include <cstring>

#include "options/option_file.h"
#include "common/ascii.h"
#include "common/text_file.h"

namespace zelmot {
namespace {

constexpr std::size_t kLineBufferSize = 200;

// One piece of a line, as a line read into a buffer of kLineBufferSize
// bytes: at most kLineBufferSize - 1 characters, the line feed included,
// always terminated (a NUL byte read from the file ends the text early).
struct LinePiece {
    char Text[kLineBufferSize] = {};
    std::size_t Count = 0;  // characters read, NUL bytes included
    bool Complete = false;  // ends with a line feed or at the end of the text
};

// False at the end of the source with nothing read.
bool ReadLinePiece(TextSource& source, LinePiece& piece) {
    piece.Count = 0;
    piece.Complete = false;
    while (piece.Count < kLineBufferSize - 1) {
        int c = NextTextChar(source);
        if (c == kEndOfText) {
            piece.Complete = true;
            break;
        }
        piece.Text[piece.Count++] = static_cast<char>(c);
        if (c == '\n') {
            piece.Complete = true;
            break;
        }
    }
    piece.Text[piece.Count] = '\0';
    return piece.Count > 0;
}

// Leading white space and one trailing line feed removed.
char* StripLine(char* text) {
    while (ascii::IsSpace(*text)) ++text;
    std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') text[length - 1] = '\0';
    return text;
}

// Passes over the rest of a line that did not fit into one piece.
void SkipRestOfLine(TextSource& source) {
    for (int c = NextTextChar(source); c != kEndOfText && c != '\n'; c = NextTextChar(source)) {
    }
}

// The equation starts on the line after ShowOnly: whatever else stands on
// the ShowOnly line, however long, is ignored.
Outcome HandOverShowOnly(TextSource& source, const LinePiece& piece, DisplayOptions& options, FilterState& filter) {
    options.ShowOnlyActive = true;
    if (!piece.Complete) SkipRestOfLine(source);
    return ReadShowOnlyEquation(source, filter);
}

}  // namespace

Outcome ReadOptionLines(TextSource& source, DisplayOptions& options, FilterState& filter) {
    LinePiece piece;
    while (ReadLinePiece(source, piece)) {
        char* line = StripLine(piece.Text);
        if (line[0] == ';' || line[0] == '\0') continue;
        Outcome result = ascii::StartsWithNoCase(line, "ShowOnly") ? HandOverShowOnly(source, piece, options, filter)
                                                               : ParseOptionLine(line, options);
        if (result.IsError()) return result;
    }
    return Success();
}

Outcome ReadOptionFile(const std::string& path, DisplayOptions& options, FilterState& filter) {
    options = DisplayOptions{};
    if (path.empty()) return Success();
    TextFile file;
    if (!OpenTextFile(path, file)) return ErrorText("Unable to Open Option File %s", path.c_str());
    return ReadOptionLines(file.Source, options, filter);
}

}  // namespace zelmot
