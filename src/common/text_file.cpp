// The one opener of text files, and starting a source over.
#include "common/text_file.h"

#include <cstdio>

namespace zelmot {

TextFile::~TextFile() {
    if (Source.File != nullptr) std::fclose(Source.File);
}

bool OpenTextFile(const std::string& path, TextFile& file) {
    if (file.Source.File != nullptr) std::fclose(file.Source.File);
    file.Source = TextSource{};
    std::FILE* opened = std::fopen(path.c_str(), "rb");
    if (opened == nullptr) return false;
    // A folder opens but cannot be read: the first read tells.
    const int first = std::getc(opened);
    if (first == EOF && std::ferror(opened) != 0) {
        std::fclose(opened);
        return false;
    }
    file.Source.File = opened;
    file.Source.PushedBack = first == EOF ? kEndOfText : first;
    return true;
}

bool RewindTextSource(TextSource& source) {
    source.PushedBack = -2;
    source.Pos = 0;
    if (source.File == nullptr) return true;
    if (std::fseek(source.File, 0, SEEK_SET) != 0) return false;
    std::clearerr(source.File);
    return true;
}

}  // namespace zelmot
