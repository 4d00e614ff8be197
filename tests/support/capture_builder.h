// Test support: capture files and option files built byte by byte in a
// temporary folder, and the real executable run on them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace zelmot::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The 40-byte capture header.
Bytes CaptureHeaderBytes(std::uint16_t baudIndex = 8, std::uint32_t deviceAddress = 0xC0A8010A,
                         const std::string& deviceName = "TESTBENCH");

// One frame record: 0xDD, the 48-bit stamp, the length, the frame, the status.
Bytes RecordBytes(std::uint64_t timeStamp, const Bytes& frame, std::uint8_t status = 0);

// Appends pieces to a byte string.
void Append(Bytes& to, const Bytes& more);

// A record stream (records only, no header) split into capture files, each
// given the header: cuts are the stream offsets where a new file begins.
std::vector<Bytes> SplitIntoFiles(const Bytes& stream, const std::vector<std::size_t>& cuts,
                                  const Bytes& header = CaptureHeaderBytes());

void WriteBytes(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
// A file's bytes, untranslated.
std::string ReadText(const std::string& path);
// A file written in text mode (the tool's output), its line ends as "\n".
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);

// A frame placed at a tick stamp, with its status byte.
struct Placed {
    std::uint64_t Ticks;
    Bytes Frame;
    std::uint8_t Status = 0;
};

inline Bytes StreamOf(const std::vector<Placed>& frames) {
    Bytes stream;
    for (const Placed& p : frames) Append(stream, RecordBytes(p.Ticks, p.Frame, p.Status));
    return stream;
}

// Writes the files as <stem>HHMM.Zelmot from the start time on, one per minute.
void WriteCaptureRun(const std::string& stem, unsigned hour, unsigned minute,
                     const std::vector<Bytes>& files);

// Typical frames.
Bytes Sd1(std::uint8_t da, std::uint8_t sa, std::uint8_t fc);
Bytes Sd2(std::uint8_t da, std::uint8_t sa, std::uint8_t fc, const Bytes& rest);
Bytes Token(std::uint8_t da, std::uint8_t sa);
Bytes ShortAck();

struct ToolResult {
    int status = -1;
    std::string console;
};

// Runs the built zelmot2txt with the arguments, in folder dir (through the
// process runner); the console text with its line ends as "\n".
ToolResult RunTool(const std::vector<std::string>& args, const std::string& dir = "");

}  // namespace zelmot::test
