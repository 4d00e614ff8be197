// One frame as the reader delivers it, and the locations of its FDL fields
// as the filter reads them.
#pragma once

#include <array>
#include <cstdint>

namespace zelmot {

// Large enough for 255 frame bytes and the status byte, and for every
// location a start delimiter can name. The buffer is reused from frame to
// frame: nothing at or past index Length + 1 belongs to the current frame.
constexpr std::size_t kFrameBufferSize = 272;

struct CaptureFrame {
    std::array<std::uint8_t, kFrameBufferSize> bytes{};  // frame bytes, then the status byte
    std::uint8_t Length = 0;
    std::uint8_t Status = 0;
    std::uint64_t TimeStamp = 0;      // own time stamp, ticks
    std::uint64_t NextTimeStamp = 0;  // time stamp of the record that follows
};

constexpr std::int16_t kAbsentField = -1;

// Where the FDL fields of the current frame lie: indices into the frame
// bytes, or kAbsentField. Located by the start delimiter alone.
struct FrameFieldView {
    std::uint8_t Status = 0;
    std::uint8_t DataLen = 0;
    std::uint8_t SD = 0;
    std::int16_t DA = kAbsentField;  // SA is the byte after it
    std::int16_t FC = kAbsentField;
    std::int16_t DSAP = kAbsentField;
    std::int16_t SSAP = kAbsentField;
    std::int16_t Data = kAbsentField;
};

// Fills view from the frame's bytes. A length or address byte that lies
// outside the frame counts as 0 (no data count, no SAP extension).
void LocateFrameFields(const CaptureFrame& frame, FrameFieldView& view);

}  // namespace zelmot
