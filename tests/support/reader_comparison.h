// The reader against the previous reader (support/previous_reader.h): one
// run pulled through both side by side, every pull compared (its kind, the
// frame's bytes, length, status, stamps, fields and read position, the
// event's text, header and note, the reader's file and header), until the
// end or a fault, which both must then repeat. Used by the reader's tests
// and by the reader's fuzz target.
#pragma once

#include <cstdint>
#include <string>

#include "capture/reader_types.h"

namespace zelmot::test {

struct ReaderComparison {
    std::string Difference;  // empty when every pull gave the same
    std::uint32_t Pulls = 0;
    std::uint32_t Frames = 0;
    RecordKind Last = RecordKind::Frame;
};

// The reader reads files.ReadBufferSize bytes at a time; the previous
// reader always 256 KiB.
ReaderComparison CompareWithPreviousReader(const CaptureRunFiles& files);

}  // namespace zelmot::test
