// One open capture file, read through a buffer of our own: reads of any size,
// the read position, and seeks (also past the end, after which reads give
// nothing). Normal reading costs one system call per buffer, not per record,
// and the frame reader walks the records inside the buffer in place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace zelmot {

// The bytes read from a file at a time.
constexpr std::size_t kCaptureBufferSize = 256 * 1024;
// The buffer holds this many bytes more, past what a read fills, so that a
// short record inside the buffer can be copied in one fixed-size move: the
// bytes past BufferLength are left from earlier reads (or 0), never the file's.
constexpr std::size_t kCaptureBufferSlack = 32;

struct CaptureFile {
    std::FILE* File = nullptr;
    std::vector<std::uint8_t> Buffer;  // the bytes read, then kCaptureBufferSlack more
    std::uint64_t BufferStart = 0;  // file offset of buffer[0]
    std::size_t BufferLength = 0;   // valid bytes in buffer
    std::size_t BufferPos = 0;      // next byte to read
    bool Positioned = true;         // the stream stands at bufferStart + bufferLength
    std::uint64_t Size = 0;         // byte size of the file
};

// Opens for reading, bufferSize bytes at a time; false if the file can't be
// opened or can't be read (a directory, say). Leaves the file at offset 0.
bool OpenCaptureFile(CaptureFile& cf, const std::string& path, std::size_t bufferSize = kCaptureBufferSize);
void CloseCaptureFile(CaptureFile& cf);
inline bool IsOpen(const CaptureFile& cf) { return cf.File != nullptr; }

inline std::uint64_t ReadPosition(const CaptureFile& cf) { return cf.BufferStart + cf.BufferPos; }

std::size_t ReadBytesRefilling(CaptureFile& cf, std::uint8_t* destination, std::size_t n);

// Reads up to n bytes; the count read (less than n only at the end).
inline std::size_t ReadBytes(CaptureFile& cf, std::uint8_t* destination, std::size_t n) {
    if (cf.BufferLength - cf.BufferPos >= n) {  // the usual case: all in the buffer
        std::memcpy(destination, cf.Buffer.data() + cf.BufferPos, n);
        cf.BufferPos += n;
        return n;
    }
    return ReadBytesRefilling(cf, destination, n);
}

// One byte, or -1 at the end.
int ReadByte(CaptureFile& cf);

void SeekTo(CaptureFile& cf, std::uint64_t offset);

// Reads the file's size again (a file being written grows); reads go on from
// the same position and reach what was added.
void UpdateCaptureFileSize(CaptureFile& cf);

}  // namespace zelmot
