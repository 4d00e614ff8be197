// The fuzz targets' temporary folder.
#include "fuzz_sandbox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelmot::fuzz {
namespace {

std::string MakeSandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelmot-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("zelmot fuzz: mkdtemp");
        std::abort();
    }
    return pattern;
}

void RemoveSandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(SandboxDir(), ignored);
}

}  // namespace

const std::string& SandboxDir() {
    static const std::string dir = MakeSandbox();
    static const bool removedAtExit = std::atexit(RemoveSandbox) == 0;
    (void)removedAtExit;
    return dir;
}

void ClearSandbox() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(SandboxDir(), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

void WriteSandboxFile(const std::string& name, const std::string& bytes) {
    std::string path = SandboxDir() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace zelmot::fuzz
