// The binary output of an export: a large buffer handed to a file opened
// untranslated, to standard output, or (for tests) to a byte string in
// memory. A write error is remembered, so that the run can stop early and
// report it when the sink is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zelmot {

using ByteString = std::vector<std::uint8_t>;

struct ByteSink {
    std::FILE* File = nullptr;
    bool OwnsFile = false;             // false for standard output
    ByteString* Memory = nullptr;      // with no file: where flushed bytes go
    ByteString Buffer;                 // pending bytes
    std::size_t Used = 0;
    bool WriteFailed = false;
};

constexpr std::size_t kByteSinkBufferSize = 256 * 1024;

// Creates or empties the file at path for writing bytes; false if it can't.
bool OpenByteSinkFile(ByteSink& sink, const std::string& path);
// Writes to standard output, switched to untranslated bytes where that matters.
void OpenByteSinkStdout(ByteSink& sink);
// Collects the bytes in *memory.
void OpenByteSinkMemory(ByteSink& sink, ByteString* memory);

void PutBytes(ByteSink& sink, const std::uint8_t* bytes, std::size_t n);
inline void PutBytes(ByteSink& sink, const ByteString& bytes) { PutBytes(sink, bytes.data(), bytes.size()); }

// Hands the pending bytes on.
void FlushByteSink(ByteSink& sink);
// Flushes and closes (standard output is flushed, not closed); harmless when
// already closed. False if any write failed.
bool CloseByteSink(ByteSink& sink);

}  // namespace zelmot
