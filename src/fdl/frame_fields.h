// Where the FDL fields of one frame lie, as the reader locates them and the
// filter, the statistics and the exporters read them.
#pragma once

#include <cstdint>

namespace zelmot {

// The location of a field that the frame does not have.
constexpr std::int16_t kAbsentField = -1;

// Indices into the frame bytes, or kAbsentField; located by the start
// delimiter alone.
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

// Fills view from a frame of length bytes followed by its status byte
// (bytes[length]). A length or address byte that lies outside the frame
// counts as 0 (no data count, no SAP extension).
void LocateFields(FrameFieldView& view, const std::uint8_t* bytes, std::uint8_t length);

}  // namespace zelmot
