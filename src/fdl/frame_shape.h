// Whether a frame's bytes have the shape its start delimiter announces: the
// check the text columns, the statistics and the exporters make before they
// trust a frame's fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fdl/fdl_codes.h"

namespace zelmot {

// Whether a frame's bytes have the shape its start delimiter announces, and
// the first test it fails, in the order they are made.
enum class FrameShape : std::uint8_t {
    Good,
    NoBytes,           // an empty frame
    NoDelimiter,       // the first byte is no start delimiter
    Length,            // SD1 not 6 bytes, SD2 fewer than 9, SD3 not 14, SD4 not 3, SC not 1
    Sd2Length,         // SD2: LE does not match the byte count
    Sd2LengthRepeat,   // SD2: LEr differs from LE
    Sd2DelimiterRepeat,  // SD2: the fourth byte is not SD2
    EndDelimiter,      // SD1, SD2, SD3: the last byte is not ED
};

// The shape of a frame taken to begin with the delimiter sd, whatever its
// first byte is. Reads only bytes[0 .. count). Inline: the text columns and
// the statistics check every frame, and a caller that knows the delimiter
// gets the checks of that one delimiter only.
inline FrameShape CheckShapeAs(std::uint8_t sd, const std::uint8_t* bytes, std::size_t count) {
    constexpr std::size_t kSd2MinCount = 9;
    constexpr std::size_t kSd2Overhead = 6;  // SD LE LEr SD and FCS ED around LE bytes
    if (count == 0) return FrameShape::NoBytes;
    switch (sd) {
        case fdl::SD1:
            if (count != 6) return FrameShape::Length;
            break;
        case fdl::SD2:
            if (count < kSd2MinCount) return FrameShape::Length;
            if (bytes[1] != count - kSd2Overhead) return FrameShape::Sd2Length;
            if (bytes[2] != bytes[1]) return FrameShape::Sd2LengthRepeat;
            if (bytes[3] != fdl::SD2) return FrameShape::Sd2DelimiterRepeat;
            break;
        case fdl::SD3:
            if (count != 14) return FrameShape::Length;
            break;
        case fdl::SD4:
            return count == 3 ? FrameShape::Good : FrameShape::Length;
        case fdl::SC:
            return count == 1 ? FrameShape::Good : FrameShape::Length;
        default:
            return FrameShape::NoDelimiter;
    }
    return bytes[count - 1] == fdl::ED ? FrameShape::Good : FrameShape::EndDelimiter;
}

inline FrameShape CheckFrameShape(const std::uint8_t* bytes, std::size_t count) {
    return count == 0 ? FrameShape::NoBytes : CheckShapeAs(bytes[0], bytes, count);
}

}  // namespace zelmot
