// TextSource: character input with CR LF folded to LF.
#include "common/text_source.h"

namespace zelmot {
namespace {

int RawChar(TextSource& source) {
    if (source.PushedBack != -2) {
        int c = source.PushedBack;
        source.PushedBack = -2;
        return c;
    }
    if (source.File != nullptr) {
        int c = std::getc(source.File);
        return c == EOF ? kEndOfText : c;
    }
    if (source.Pos >= source.Text.size()) return kEndOfText;
    return static_cast<unsigned char>(source.Text[source.Pos++]);
}

}  // namespace

int NextTextChar(TextSource& source) {
    int c = RawChar(source);
    if (c != '\r') return c;
    int next = RawChar(source);
    if (next == '\n') return '\n';
    source.PushedBack = next;
    return c;
}

}  // namespace zelmot
