// Locating the FDL fields of a frame by its start delimiter.
#include "fdl/frame_fields.h"

#include "fdl/fdl_codes.h"

namespace zelmot {
namespace {

struct DelimiterLayout {
    std::uint8_t Sd;
    std::int16_t Da, Fc, Data;
    bool Saps;  // may carry SAP bytes
};

constexpr DelimiterLayout kLayouts[] = {
    {fdl::SD1, 1, 3, kAbsentField, false},
    {fdl::SD2, 4, 6, 7, true},  // DataLen from LE
    {fdl::SD3, 1, 3, 4, true},  // 8 data units
    {fdl::SD4, 1, kAbsentField, kAbsentField, false},  // the token
};

// A frame byte, or 0 for an index outside the frame.
std::uint8_t ByteOrZero(const std::uint8_t* bytes, std::uint8_t length, int index) {
    return index >= 0 && index < length ? bytes[index] : 0;
}

}  // namespace

void LocateFields(FrameFieldView& view, const std::uint8_t* bytes, std::uint8_t length) {
    view = FrameFieldView{};
    view.Status = bytes[length];
    if (length == 0) return;
    view.SD = bytes[0];
    for (const DelimiterLayout& layout : kLayouts) {
        if (layout.Sd != view.SD) continue;
        view.DA = layout.Da;
        view.FC = layout.Fc;
        view.Data = layout.Data;
        if (view.SD == fdl::SD2 && length > 1)
            view.DataLen = static_cast<std::uint8_t>(bytes[1] - 3);  // wraps below 3
        if (view.SD == fdl::SD3) view.DataLen = 8;
        if (!layout.Saps) return;
        if (ByteOrZero(bytes, length, view.DA) & fdl::SapExtBit) {
            view.DSAP = view.Data++;
            --view.DataLen;
        }
        if (ByteOrZero(bytes, length, view.DA + 1) & fdl::SapExtBit) {
            view.SSAP = view.Data++;
            --view.DataLen;
        }
        return;
    }
}

}  // namespace zelmot
