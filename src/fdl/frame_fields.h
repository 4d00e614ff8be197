// Where the FDL fields of one frame lie, as the reader locates them and the
// filter, the statistics and the exporters read them. Locating is inline:
// the reader does it for every frame.
#pragma once

#include <array>
#include <cstdint>

#include "fdl/fdl_codes.h"

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

// A frame byte, or 0 for an index outside the frame.
inline std::uint8_t FrameByteOrZero(const std::uint8_t* bytes, std::uint8_t length, int index) {
    return index >= 0 && index < length ? bytes[index] : 0;
}

// The fields a start delimiter places, as the view of a frame of that
// delimiter before its own bytes are read: SD1 DA 1, FC 3; SD2 DA 4, FC 6,
// data 7 (its count from LE); SD3 DA 1, FC 3, data 4, eight data units; SD4
// (the token) DA 1; SC and anything else nothing.
inline constexpr auto kFieldsByDelimiter = [] {
    std::array<FrameFieldView, 256> views{};
    for (unsigned sd = 0; sd < 256; ++sd) views[sd].SD = static_cast<std::uint8_t>(sd);
    views[fdl::SD1].DA = 1;
    views[fdl::SD1].FC = 3;
    views[fdl::SD2].DA = 4;
    views[fdl::SD2].FC = 6;
    views[fdl::SD2].Data = 7;
    views[fdl::SD3].DA = 1;
    views[fdl::SD3].FC = 3;
    views[fdl::SD3].Data = 4;
    views[fdl::SD3].DataLen = 8;
    views[fdl::SD4].DA = 1;
    return views;
}();

// Fills view from a frame of length bytes followed by its status byte
// (bytes[length]). A length or address byte that lies outside the frame
// counts as 0 (no data count, no SAP extension).
inline void LocateFields(FrameFieldView& view, const std::uint8_t* bytes, std::uint8_t length) {
    if (length == 0) {
        view = FrameFieldView{};
        view.Status = bytes[0];
        return;
    }
    const std::uint8_t sd = bytes[0];
    view = kFieldsByDelimiter[sd];
    view.Status = bytes[length];
    if (sd != fdl::SD2 && sd != fdl::SD3) return;
    if (sd == fdl::SD2 && length > 1) view.DataLen = static_cast<std::uint8_t>(bytes[1] - 3);  // LE; wraps below 3
    // SD2 and SD3 may carry SAP bytes after FC: DSAP first, then SSAP.
    if (FrameByteOrZero(bytes, length, view.DA) & fdl::SapExtBit) {
        view.DSAP = view.Data++;
        --view.DataLen;
    }
    if (FrameByteOrZero(bytes, length, view.DA + 1) & fdl::SapExtBit) {
        view.SSAP = view.Data++;
        --view.DataLen;
    }
}

}  // namespace zelmot
