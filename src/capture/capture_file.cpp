// CaptureFile: buffered, seekable reading of one capture file.
#include "capture/capture_file.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace zelmot {
namespace {

constexpr std::size_t kCaptureBufferSize = 256 * 1024;

// Refills the buffer from the current position; false at the end.
bool Refill(CaptureFile& cf) {
    cf.bufferStart += cf.bufferPos;
    cf.bufferPos = 0;
    cf.bufferLength = 0;
    if (!cf.positioned) {
        if (cf.bufferStart > static_cast<std::uint64_t>(LONG_MAX) ||
            std::fseek(cf.file, static_cast<long>(cf.bufferStart), SEEK_SET) != 0)
            return false;
        cf.positioned = true;
    }
    if (cf.bufferStart >= cf.size) return false;
    cf.bufferLength = std::fread(cf.buffer.data(), 1, cf.buffer.size(), cf.file);
    return cf.bufferLength > 0;
}

}  // namespace

bool OpenCaptureFile(CaptureFile& cf, const std::string& path) {
    CloseCaptureFile(cf);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    // A folder opens on some systems but cannot be read: refuse it here.
    int first = std::getc(file);
    long size = -1;
    if (!(first == EOF && std::ferror(file)) && std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return false;
    }
    cf.file = file;
    cf.buffer.resize(kCaptureBufferSize);
    cf.bufferStart = 0;
    cf.bufferLength = 0;
    cf.bufferPos = 0;
    cf.positioned = true;
    cf.size = static_cast<std::uint64_t>(size);
    return true;
}

void CloseCaptureFile(CaptureFile& cf) {
    if (cf.file != nullptr) std::fclose(cf.file);
    cf.file = nullptr;
    cf.bufferStart = 0;
    cf.bufferLength = 0;
    cf.bufferPos = 0;
    cf.size = 0;
}

std::size_t ReadBytesRefilling(CaptureFile& cf, std::uint8_t* destination, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (cf.bufferPos == cf.bufferLength && !Refill(cf)) break;
        std::size_t take = std::min(n - done, cf.bufferLength - cf.bufferPos);
        std::memcpy(destination + done, cf.buffer.data() + cf.bufferPos, take);
        cf.bufferPos += take;
        done += take;
    }
    return done;
}

int ReadByte(CaptureFile& cf) {
    if (cf.bufferPos == cf.bufferLength && !Refill(cf)) return -1;
    return cf.buffer[cf.bufferPos++];
}

void SeekTo(CaptureFile& cf, std::uint64_t offset) {
    if (offset >= cf.bufferStart && offset <= cf.bufferStart + cf.bufferLength) {
        cf.bufferPos = static_cast<std::size_t>(offset - cf.bufferStart);
        return;
    }
    cf.bufferStart = offset;
    cf.bufferPos = 0;
    cf.bufferLength = 0;
    cf.positioned = false;
}

}  // namespace zelmot
