// Where the FDL fields of one frame lie, as the reader locates them and the
// filter, the statistics and the exporters read them. Locating is inline:
// the reader does it for every frame.
#pragma once

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

// Fills view from a frame of length bytes followed by its status byte
// (bytes[length]). A length or address byte that lies outside the frame
// counts as 0 (no data count, no SAP extension).
inline void LocateFields(FrameFieldView& view, const std::uint8_t* bytes, std::uint8_t length) {
    view = FrameFieldView{};
    view.Status = bytes[length];
    if (length == 0) return;
    view.SD = bytes[0];
    switch (view.SD) {
        case fdl::SD1:
            view.DA = 1;
            view.FC = 3;
            return;
        case fdl::SD4:  // the token
            view.DA = 1;
            return;
        case fdl::SD2:
            view.DA = 4;
            view.FC = 6;
            view.Data = 7;
            if (length > 1) view.DataLen = static_cast<std::uint8_t>(bytes[1] - 3);  // LE; wraps below 3
            break;
        case fdl::SD3:  // 8 data units
            view.DA = 1;
            view.FC = 3;
            view.Data = 4;
            view.DataLen = 8;
            break;
        default:  // SC and anything unknown: no fields
            return;
    }
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
