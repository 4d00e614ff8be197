// The one buffered writer under every output of the family: the text of
// zelmot2txt and the reports (TextOut) and the bytes of an export
// (ByteSink). It collects bytes in a large buffer and hands them to its file
// in big blocks, to a stream it does not own, or, with neither, to a string
// in memory (which is how tests read what was written). Nothing here talks to
// the file per piece; a write error is remembered and reported at the close.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/raw_buffer.h"

namespace zelmot {

struct ByteWriter {
    std::FILE* File = nullptr;      // the output file or stream, or none
    bool OwnsFile = false;          // false for a stream (standard output)
    std::string* Memory = nullptr;  // with no file: where flushed bytes go
    RawBuffer<char> Buffer;         // pending bytes (the first Used)
    std::size_t Used = 0;
    bool Open = false;
    bool WriteFailed = false;
};

constexpr std::size_t kWriterBufferSize = 256 * 1024;

enum class FileMode : std::uint8_t {
    Text,    // "w": each line end the platform's
    Binary,  // "wb": bytes as they are
};

// Creates or empties the file at path; false if it can't.
bool OpenWriterFile(ByteWriter& writer, const std::string& path, FileMode mode);
// Writes to a stream the caller keeps open (flushed at the close, not closed).
void OpenWriterStream(ByteWriter& writer, std::FILE* stream);
// Collects the bytes in *memory, through a buffer of bufferSize bytes.
void OpenWriterMemory(ByteWriter& writer, std::string* memory, std::size_t bufferSize = kWriterBufferSize);
// Hands the pending bytes on.
void FlushWriter(ByteWriter& writer);
// Hands n bytes on behind the pending ones, without copying them into the
// buffer (a block of text another writer has put together).
void WriteThrough(ByteWriter& writer, const void* bytes, std::size_t n);
// Flushes and closes; harmless when already closed. False if any write failed.
bool CloseWriter(ByteWriter& writer);

// Reserve's slow path: the pending bytes handed on, and the buffer grown
// if n bytes still do not fit; returns where the n bytes go.
char* MakeRoom(ByteWriter& writer, std::size_t n);

// Makes room for n more bytes at the end of the pending ones; the caller
// writes at most n there and then adds what it wrote to Used. Always
// inline: every piece of text comes through here, and the usual case is a
// compare and an add.
[[gnu::always_inline]] inline char* Reserve(ByteWriter& writer, std::size_t n) {
    assert(writer.Open && writer.Used <= writer.Buffer.size());
    if (writer.Buffer.size() - writer.Used < n) [[unlikely]]
        return MakeRoom(writer, n);
    return writer.Buffer.data() + writer.Used;
}

// n bytes as they are.
inline void PutRaw(ByteWriter& writer, const void* bytes, std::size_t n) {
    if (n == 0) return;
    std::memcpy(Reserve(writer, n), bytes, n);
    writer.Used += n;
}

}  // namespace zelmot
