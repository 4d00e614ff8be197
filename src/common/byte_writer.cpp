// ByteWriter: buffered output to a file, a stream or memory.
#include "common/byte_writer.h"

namespace zelmot {
namespace {

void Prepare(ByteWriter& writer, std::size_t bufferSize = kWriterBufferSize) {
    writer.Buffer.resize(bufferSize);  // on a fresh writer: nothing is zeroed
    writer.Used = 0;
    writer.Open = true;
    writer.WriteFailed = false;
}

// The bytes to the file (none after a failed write) or to memory.
void HandOn(ByteWriter& writer, const char* bytes, std::size_t n) {
    if (writer.File != nullptr) {
        if (!writer.WriteFailed && std::fwrite(bytes, 1, n, writer.File) != n) writer.WriteFailed = true;
    } else if (writer.Memory != nullptr) {
        writer.Memory->append(bytes, n);
    }
}

}  // namespace

bool OpenWriterFile(ByteWriter& writer, const std::string& path, FileMode mode) {
    writer = ByteWriter{};
    writer.File = std::fopen(path.c_str(), mode == FileMode::Text ? "w" : "wb");
    if (writer.File == nullptr) return false;
    // The writer hands its bytes on in large blocks; a second buffer in the
    // stream would only split each block in two writes, the second of them
    // cutting a page of the file.
    std::setvbuf(writer.File, nullptr, _IONBF, 0);
    writer.OwnsFile = true;
    Prepare(writer);
    return true;
}

void OpenWriterStream(ByteWriter& writer, std::FILE* stream) {
    writer = ByteWriter{};
    writer.File = stream;
    Prepare(writer);
}

void OpenWriterMemory(ByteWriter& writer, std::string* memory, std::size_t bufferSize) {
    writer = ByteWriter{};
    writer.Memory = memory;
    Prepare(writer, bufferSize);
}

void FlushWriter(ByteWriter& writer) {
    if (writer.Used == 0) return;
    HandOn(writer, writer.Buffer.data(), writer.Used);
    writer.Used = 0;
}

char* MakeRoom(ByteWriter& writer, std::size_t n) {
    FlushWriter(writer);
    if (writer.Buffer.size() < n) writer.Buffer.resize(n);
    return writer.Buffer.data();
}

void WriteThrough(ByteWriter& writer, const void* bytes, std::size_t n) {
    assert(writer.Open);
    if (n == 0) return;
    FlushWriter(writer);
    HandOn(writer, static_cast<const char*>(bytes), n);
}

bool CloseWriter(ByteWriter& writer) {
    if (!writer.Open) return !writer.WriteFailed;
    FlushWriter(writer);
    if (writer.File != nullptr) {
        if (std::fflush(writer.File) != 0 || std::ferror(writer.File) != 0) writer.WriteFailed = true;
        if (writer.OwnsFile && std::fclose(writer.File) != 0) writer.WriteFailed = true;
        writer.File = nullptr;
    }
    writer.Memory = nullptr;
    writer.Open = false;
    writer.Buffer.clear();
    writer.Buffer.shrink_to_fit();
    return !writer.WriteFailed;
}

}  // namespace zelmot
