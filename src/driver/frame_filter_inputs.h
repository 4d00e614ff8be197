// The one place where a frame as the reader delivers it becomes a frame as
// the filter sees it (the two subsystems do not know each other's records).
#pragma once

#include "capture/capture_frame.h"
#include "filter/filter_state.h"

namespace zelmot {

// The frame's bytes, count and located fields; the gaps are left at 0 for
// the caller to set.
FilterInputs FrameFilterInputs(const CaptureFrame& frame, const FrameFieldView& view);

}  // namespace zelmot
