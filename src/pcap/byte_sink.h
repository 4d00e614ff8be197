// The binary output of an export: the buffered writer (common/byte_writer.h)
// opened on a file untranslated, on standard output, or (for tests) on a
// string in memory. A write error is remembered, so that the run can stop
// early and report it when the sink is closed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/byte_writer.h"

namespace zelmot {

using ByteString = std::vector<std::uint8_t>;
using ByteSink = ByteWriter;

// Creates or empties the file at path for writing bytes; false if it can't.
inline bool OpenByteSinkFile(ByteSink& sink, const std::string& path) {
    return OpenWriterFile(sink, path, FileMode::Binary);
}
// Writes to standard output, switched to untranslated bytes where that matters.
void OpenByteSinkStdout(ByteSink& sink);
// Collects the bytes in *memory.
inline void OpenByteSinkMemory(ByteSink& sink, std::string* memory) { OpenWriterMemory(sink, memory); }

inline void PutBytes(ByteSink& sink, const ByteString& bytes) { PutRaw(sink, bytes.data(), bytes.size()); }

// Flushes and closes (standard output is flushed, not closed); harmless when
// already closed. False if any write failed.
inline bool CloseByteSink(ByteSink& sink) { return CloseWriter(sink); }

}  // namespace zelmot
