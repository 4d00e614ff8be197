// Characters of a text file (or of a text in memory), one at a time, with a
// carriage return directly before a line feed left out, so that CR LF and LF
// line ends read alike on every platform. The option file reader and the
// ShowOnly equation capture read the same source in turn.
#pragma once

#include <cstdio>
#include <string_view>

namespace zelmot {

struct TextSource {
    std::FILE* File = nullptr;  // read from this file when set,
    std::string_view Text;      // else from this text
    std::size_t Pos = 0;        // position in text
    int PushedBack = -2;        // a character read ahead, or -2 for none
};

constexpr int kEndOfText = -1;

// The next character (0-255), or kEndOfText at the end or on a read error.
int NextTextChar(TextSource& source);

}  // namespace zelmot
