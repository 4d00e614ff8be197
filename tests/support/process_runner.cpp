// Test support: the platform-independent part of the process runner, the
// translation between "\n" and the line ends of text-mode streams.
#include "support/process_runner.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelmot::test {

std::string TakeCollectedFile(const std::filesystem::path& path) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        text = content.str();
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return text;
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : line) {
        if (c == '\'') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string FromTextMode(std::string text) {
    if (!kWindows) return text;
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
    return plain;
}

std::string ToTextMode(const std::string& text) {
    if (!kWindows) return text;
    std::string translated;
    translated.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') translated += '\r';
        translated += c;
    }
    return translated;
}

}  // namespace zelmot::test
