// CaptureFile: buffered, seekable reading of one capture file.
#include "capture/capture_file.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace zelmot {
namespace {

// Refills the buffer from the current position; false at the end.
bool Refill(CaptureFile& cf) {
    cf.BufferStart += cf.BufferPos;
    cf.BufferPos = 0;
    cf.BufferLength = 0;
    if (!cf.Positioned) {
        if (cf.BufferStart > static_cast<std::uint64_t>(LONG_MAX) ||
            std::fseek(cf.File, static_cast<long>(cf.BufferStart), SEEK_SET) != 0)
            return false;
        cf.Positioned = true;
    }
    if (cf.BufferStart >= cf.Size) return false;
    cf.BufferLength = std::fread(cf.Buffer.data(), 1, cf.Buffer.size() - kCaptureBufferSlack, cf.File);
    return cf.BufferLength > 0;
}

}  // namespace

bool OpenCaptureFile(CaptureFile& cf, const std::string& path, std::size_t bufferSize) {
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
    cf.File = file;
    cf.Buffer.resize((bufferSize > 0 ? bufferSize : kCaptureBufferSize) + kCaptureBufferSlack);
    cf.BufferStart = 0;
    cf.BufferLength = 0;
    cf.BufferPos = 0;
    cf.Positioned = true;
    cf.Size = static_cast<std::uint64_t>(size);
    return true;
}

void CloseCaptureFile(CaptureFile& cf) {
    if (cf.File != nullptr) std::fclose(cf.File);
    cf.File = nullptr;
    cf.BufferStart = 0;
    cf.BufferLength = 0;
    cf.BufferPos = 0;
    cf.Size = 0;
}

std::size_t ReadBytesRefilling(CaptureFile& cf, std::uint8_t* destination, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (cf.BufferPos == cf.BufferLength && !Refill(cf)) break;
        std::size_t take = std::min(n - done, cf.BufferLength - cf.BufferPos);
        std::memcpy(destination + done, cf.Buffer.data() + cf.BufferPos, take);
        cf.BufferPos += take;
        done += take;
    }
    return done;
}

int ReadByte(CaptureFile& cf) {
    if (cf.BufferPos == cf.BufferLength && !Refill(cf)) return -1;
    return cf.Buffer[cf.BufferPos++];
}

void SeekTo(CaptureFile& cf, std::uint64_t offset) {
    if (offset >= cf.BufferStart && offset <= cf.BufferStart + cf.BufferLength) {
        cf.BufferPos = static_cast<std::size_t>(offset - cf.BufferStart);
        return;
    }
    cf.BufferStart = offset;
    cf.BufferPos = 0;
    cf.BufferLength = 0;
    cf.Positioned = false;
}

void UpdateCaptureFileSize(CaptureFile& cf) {
    if (cf.File == nullptr) return;
    std::clearerr(cf.File);
    if (std::fseek(cf.File, 0, SEEK_END) == 0) {
        long size = std::ftell(cf.File);
        if (size >= 0) cf.Size = static_cast<std::uint64_t>(size);
    }
    // The next refill seeks back to where the buffer ends.
    cf.Positioned = false;
}

}  // namespace zelmot
