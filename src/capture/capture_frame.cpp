// Locating the FDL fields of a frame by its start delimiter.
#include "capture/capture_frame.h"

namespace zelmot {
namespace {

struct DelimiterLayout {
    std::uint8_t sd;
    std::int16_t da, fc, data;
    bool saps;  // may carry SAP bytes
};

constexpr DelimiterLayout kLayouts[] = {
    {0x10, 1, 3, kAbsentField, false},           // SD1
    {0x68, 4, 6, 7, true},                       // SD2, DataLen from LE
    {0xA2, 1, 3, 4, true},                       // SD3, 8 data units
    {0xDC, 1, kAbsentField, kAbsentField, false},  // SD4, the token
};

// A frame byte, or 0 for an index outside the frame.
std::uint8_t ByteOrZero(const CaptureFrame& frame, int index) {
    return index >= 0 && index < frame.Length ? frame.bytes[static_cast<std::size_t>(index)] : 0;
}

}  // namespace

void LocateFrameFields(const CaptureFrame& frame, FrameFieldView& view) {
    view = FrameFieldView{};
    view.Status = frame.bytes[frame.Length];
    if (frame.Length == 0) return;
    view.SD = frame.bytes[0];
    for (const DelimiterLayout& layout : kLayouts) {
        if (layout.sd != view.SD) continue;
        view.DA = layout.da;
        view.FC = layout.fc;
        view.Data = layout.data;
        if (view.SD == 0x68 && frame.Length > 1)
            view.DataLen = static_cast<std::uint8_t>(frame.bytes[1] - 3);  // wraps below 3
        if (view.SD == 0xA2) view.DataLen = 8;
        if (!layout.saps) return;
        if (ByteOrZero(frame, view.DA) & 0x80) {
            view.DSAP = view.Data++;
            --view.DataLen;
        }
        if (ByteOrZero(frame, view.DA + 1) & 0x80) {
            view.SSAP = view.Data++;
            --view.DataLen;
        }
        return;
    }
}

}  // namespace zelmot
