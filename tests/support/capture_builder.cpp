// Test support: building capture files and running the tool.
#include "support/capture_builder.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "capture/capture_format.h"
#include "support/process_runner.h"

namespace zelmot::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("zelmot-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

Bytes CaptureHeaderBytes(std::uint16_t baudIndex, std::uint32_t deviceAddress,
                         const std::string& deviceName) {
    Bytes header(kCaptureHeaderSize, 0);
    header[2] = static_cast<std::uint8_t>(baudIndex);
    header[3] = static_cast<std::uint8_t>(baudIndex >> 8);
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<std::uint8_t>(deviceAddress >> (8 * i));
    for (std::size_t i = 0; i < deviceName.size() && i < 32; ++i)
        header[8 + i] = static_cast<std::uint8_t>(deviceName[i]);
    return header;
}

Bytes RecordBytes(std::uint64_t timeStamp, const Bytes& frame, std::uint8_t status) {
    Bytes record{kSyncMark};
    for (int i = 0; i < 6; ++i) record.push_back(static_cast<std::uint8_t>(timeStamp >> (8 * i)));
    record.push_back(static_cast<std::uint8_t>(frame.size()));
    Append(record, frame);
    record.push_back(status);
    return record;
}

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

std::vector<Bytes> SplitIntoFiles(const Bytes& stream, const std::vector<std::size_t>& cuts,
                                  const Bytes& header) {
    std::vector<Bytes> files;
    std::size_t from = 0;
    std::vector<std::size_t> ends = cuts;
    ends.push_back(stream.size());
    for (std::size_t end : ends) {
        Bytes file = header;
        file.insert(file.end(), stream.begin() + static_cast<std::ptrdiff_t>(from),
                    stream.begin() + static_cast<std::ptrdiff_t>(end));
        files.push_back(std::move(file));
        from = end;
    }
    return files;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

void WriteCaptureRun(const std::string& stem, unsigned hour, unsigned minute,
                     const std::vector<Bytes>& files) {
    for (const Bytes& file : files) {
        WriteBytes(CaptureFileName(stem, hour, minute), file);
        AdvanceCaptureMinute(hour, minute);
    }
}

namespace {
std::uint8_t Sum(const Bytes& bytes, std::size_t from) {
    unsigned sum = 0;
    for (std::size_t i = from; i < bytes.size(); ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum);
}
}  // namespace

Bytes Sd1(std::uint8_t da, std::uint8_t sa, std::uint8_t fc) {
    Bytes frame{0x10, da, sa, fc};
    frame.push_back(Sum(frame, 1));
    frame.push_back(0x16);
    return frame;
}

Bytes Sd2(std::uint8_t da, std::uint8_t sa, std::uint8_t fc, const Bytes& rest) {
    std::uint8_t le = static_cast<std::uint8_t>(3 + rest.size());
    Bytes frame{0x68, le, le, 0x68, da, sa, fc};
    Append(frame, rest);
    frame.push_back(Sum(frame, 4));
    frame.push_back(0x16);
    return frame;
}

Bytes Token(std::uint8_t da, std::uint8_t sa) { return Bytes{0xDC, da, sa}; }

Bytes ShortAck() { return Bytes{0xE5}; }

ToolResult RunTool(const std::vector<std::string>& args, const std::string& dir) {
    ProcessRun run = RunProcess(ZELMOT_EXE, args, ProcessOptions{dir, true});
    ToolResult result;
    result.status = run.Started ? run.ExitCode : -1;
    result.console = FromTextMode(std::move(run.Output));
    if (!run.Trouble.empty()) result.console += "[" + run.Trouble + "]";
    return result;
}

std::string ReadTextFile(const std::string& path) { return FromTextMode(ReadText(path)); }

}  // namespace zelmot::test
