// One frame as the analysis' consumers see it: the run's frame, numbered,
// timed and placed, with its class worked out once for all of them -- the
// way every listener of one pass sees the same dissection.
#pragma once

#include <cstdint>

#include "analysis/frame_class.h"
#include "run/capture_run.h"

namespace zelmot {

struct AnalysedFrame {
    const CaptureFrame* Frame = nullptr;
    const FrameTiming* Timing = nullptr;
    std::uint32_t ReferenceNumber = 0;
    FrameClass Class;
    bool InWindow = false;  // inside the StartRef/EndRef window: its counts count
    bool PastEnd = false;   // the frame after EndRef: it only settles the request before it
    std::int64_t Ns = 0;    // its AbsTime
};

inline AnalysedFrame AnalyseRunFrame(const RunFrame& taken) {
    AnalysedFrame frame;
    frame.Frame = taken.Frame;
    frame.Timing = taken.Timing;
    frame.ReferenceNumber = taken.ReferenceNumber;
    ClassifyFrame(*taken.Frame, frame.Class);
    frame.InWindow = taken.Place == WindowPlace::Inside;
    frame.PastEnd = taken.Place == WindowPlace::PastEnd;
    frame.Ns = taken.Timing->AbsTime;
    return frame;
}

}  // namespace zelmot
