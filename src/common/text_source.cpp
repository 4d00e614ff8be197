// TextSource: character input with CR LF folded to LF.
#include "common/text_source.h"

namespace zelmot {
namespace {

int RawChar(TextSource& source) {
    if (source.pushedBack != -2) {
        int c = source.pushedBack;
        source.pushedBack = -2;
        return c;
    }
    if (source.file != nullptr) {
        int c = std::getc(source.file);
        return c == EOF ? kEndOfText : c;
    }
    if (source.pos >= source.text.size()) return kEndOfText;
    return static_cast<unsigned char>(source.text[source.pos++]);
}

}  // namespace

int NextTextChar(TextSource& source) {
    int c = RawChar(source);
    if (c != '\r') return c;
    int next = RawChar(source);
    if (next == '\n') return '\n';
    source.pushedBack = next;
    return c;
}

}  // namespace zelmot
