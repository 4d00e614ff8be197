// FrameFilterInputs: the reader's field view handed to the filter.
#include "driver/frame_filter_inputs.h"

namespace zelmot {

FilterInputs FrameFilterInputs(const CaptureFrame& frame, const FrameFieldView& view) {
    FilterInputs in;
    in.bytes = frame.bytes.data();
    in.count = frame.Length;
    in.Status = view.Status;
    in.DataLen = view.DataLen;
    in.SD = view.SD;
    in.DA = view.DA;
    in.FC = view.FC;
    in.DSAP = view.DSAP;
    in.SSAP = view.SSAP;
    in.Data = view.Data;
    return in;
}

}  // namespace zelmot
