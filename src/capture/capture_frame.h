// One frame as the reader delivers it, with the location of its FDL fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "fdl/frame_fields.h"

namespace zelmot {

// Large enough for 255 frame bytes and the status byte, and for every
// location a start delimiter can name. The buffer is reused from frame to
// frame: nothing at or past index Length + 1 belongs to the current frame.
constexpr std::size_t kFrameBufferSize = 272;

struct CaptureFrame {
    std::array<std::uint8_t, kFrameBufferSize> Bytes{};  // frame bytes, then the status byte
    std::uint8_t Length = 0;
    std::uint8_t Status = 0;
    std::uint64_t TimeStamp = 0;      // own time stamp, ticks
    std::uint64_t NextTimeStamp = 0;  // time stamp of the record that follows
    FrameFieldView Fields;
    // Read position in the capture file now open once the frame and the
    // record header after it are read.
    std::uint64_t FileOffset = 0;
};

// Fills frame.Fields from the frame's bytes (LocateFields).
inline void LocateFrameFields(CaptureFrame& frame) { LocateFields(frame.Fields, frame.Bytes.data(), frame.Length); }

}  // namespace zelmot
