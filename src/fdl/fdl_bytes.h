// The checked byte view every decoder reads a frame through: each access
// knows the count of the span it was handed, so no length byte, however much
// it claims, makes the text columns, the DP decoders or the statistics read
// past the bytes of a frame. The field probes read a byte at a location the
// reader found (FrameFieldView), absent or not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "fdl/frame_fields.h"

namespace zelmot::fdl {

using Bytes = std::span<const std::uint8_t>;

// The byte at index; 0 (and nothing read) when index lies outside the span.
inline std::uint8_t ByteAt(Bytes bytes, std::size_t index) { return index < bytes.size() ? bytes[index] : 0; }

// The big-endian 16-bit number at index and index + 1; missing bytes count as 0.
inline std::uint16_t BigEndianAt(Bytes bytes, std::size_t index) {
    return static_cast<std::uint16_t>((ByteAt(bytes, index) << 8) | ByteAt(bytes, index + 1));
}

// The bytes from `from` on, at most n of them, clipped to the span.
inline Bytes Clip(Bytes bytes, std::size_t from, std::size_t n) {
    if (from >= bytes.size()) return {};
    std::size_t rest = bytes.size() - from;
    return bytes.subspan(from, n < rest ? n : rest);
}

// The bytes from `from` to the end of the span (empty past its end).
inline Bytes RestFrom(Bytes bytes, std::size_t from) { return Clip(bytes, from, bytes.size()); }

// Whether the frame holds the byte at a field location.
inline bool HoldsField(Bytes frame, std::int16_t at) {
    return at != kAbsentField && at >= 0 && static_cast<std::size_t>(at) < frame.size();
}

// The byte at a field location, or 0 for an absent field or one outside the frame.
inline std::uint8_t FieldByte(Bytes frame, std::int16_t at) {
    return HoldsField(frame, at) ? frame[static_cast<std::size_t>(at)] : 0;
}

}  // namespace zelmot::fdl
