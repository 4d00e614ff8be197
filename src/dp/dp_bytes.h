// The checked accessors every DP decoder reads its bytes through: each knows
// the count of the span it was handed, so no length byte, however much it
// claims, makes a decoder read past the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zelmot::dp {

using Bytes = std::span<const std::uint8_t>;

// The byte at index; 0 (and nothing read) when index lies outside the span.
inline std::uint8_t ByteAt(Bytes bytes, std::size_t index) {
    return index < bytes.size() ? bytes[index] : 0;
}

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

}  // namespace zelmot::dp
