// Opening a text file for one of the readers of text files (the option
// file, the device files): opened in binary mode (line ends fold in the
// text source), its first character read ahead, so that a path that opens
// but cannot be read (a folder) is refused here like a path that cannot be
// opened; each reader refuses both with its one message. The file closes
// with the record.
#pragma once

#include <string>

#include "common/text_source.h"

namespace zelmot {

struct TextFile {
    TextSource Source;  // reads the file from its first character

    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile();
};

// False when path cannot be opened or cannot be read; file then holds none.
bool OpenTextFile(const std::string& path, TextFile& file);

// Starts a source over from its first character: a text from its
// beginning, a file by seeking; false when a file cannot seek (a pipe).
bool RewindTextSource(TextSource& source);

}  // namespace zelmot
