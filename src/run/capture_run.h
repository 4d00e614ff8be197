// The run of a capture, once for every program: it opens the run's files,
// checks the first header's baud index, numbers the frames, times them,
// places them against the StartRef/EndRef window, applies the frame
// selection (damaged frames left out, the ShowOnly filter), shows the
// progress line and names the file in reader errors. What a program makes of
// the frames and events is its sink's business: zelmot2txt writes lines, the
// exporter packets, the statistics count.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "capture/capture_format.h"
#include "capture/frame_reader.h"
#include "capture/frame_timing.h"
#include "common/outcome.h"
#include "filter/filter_state.h"
#include "run/command_line.h"

namespace zelmot {

// Where a frame stands against the window. The EndRef test is made only for
// frames that passed the StartRef test, so with StartRef above EndRef the
// run reads up to frame StartRef.
enum class WindowPlace : std::uint8_t {
    Before,   // below StartRef
    Inside,   // StartRef <= reference number <= EndRef
    PastEnd,  // the first frame past EndRef: the last one the run reads
};

// One frame as the run hands it to a sink.
struct RunFrame {
    const CaptureFrame* Frame = nullptr;
    const FrameTiming* Timing = nullptr;  // its four times (see RunSpec.TimesWanted, DeltaWanted)
    std::uint32_t ReferenceNumber = 0;    // 1 for the first frame read
    WindowPlace Place = WindowPlace::Inside;
    bool Selected = false;  // inside, and kept by the selection: it gets a line or a packet
};

enum class RunEnd : std::uint8_t {
    EndOfCapture,   // the run's files are used up
    LastReference,  // the frame past EndRef was read
    Stopped,        // the sink asked to stop (its own fault, which it reports)
    Failed,         // the run's fault: RunResult.Result holds its message
};

// What a program does with the run's records. Context is handed back to
// every call; a null function is not called. Frames outside the window and
// frames not selected reach Frame only when EveryFrame is set. A program
// writes its functions over its own record and binds them with SinkCall.
struct RunSink {
    void* Context = nullptr;
    bool EveryFrame = false;
    void (*HeaderRead)(void* context, const CaptureHeader& header) = nullptr;  // the first file's
    void (*FileOpened)(void* context, const std::string& fileName) = nullptr;
    // The first file's baud index was valid: the run's timing is chosen.
    void (*Started)(void* context, const CaptureHeader& header, const BaudTiming& baud) = nullptr;
    void (*SyncLost)(void* context, const SyncLostNote& note) = nullptr;
    bool (*Frame)(void* context, const RunFrame& frame) = nullptr;  // false stops the run
};

// SinkCall<F>::Call is a sink function that hands the context back to F as
// the record F takes: F is written as `bool TakeFrame(MyRun& run, const
// RunFrame& frame)`, the sink's Context points to a MyRun, and the one
// conversion from the run's untyped context is this one. The call inlines F,
// so a frame costs what a plain function pointer does.
template <auto Function>
struct SinkCall;

template <class Result, class Context, class... Args, Result (*Function)(Context&, Args...)>
struct SinkCall<Function> {
    static Result Call(void* context, Args... args) { return Function(*static_cast<Context*>(context), args...); }
};

// A sink whose Context is the record its functions take.
template <class Context>
RunSink SinkOf(Context& context, bool everyFrame = false) {
    RunSink sink;
    sink.Context = &context;
    sink.EveryFrame = everyFrame;
    return sink;
}

struct RunSpec {
    CaptureRunFiles Files;
    std::uint32_t StartRef = 0;
    std::uint32_t EndRef = 0xFFFFFFFFu;
    // Whether anything reads a frame's four times; without a reader only
    // the links to the previous frame move on.
    bool TimesWanted = true;
    // Whether the gap after a frame is read besides a filter that reads it
    // (which always gets it); without a reader it stays 0.
    bool GapAfterWanted = true;
    // Whether the delta is read: the time from the last frame selected, whose
    // line the delta column measures from. Without it the delta stays 0.
    bool DeltaWanted = false;
    bool SkipDamaged = false;         // frames with a non-zero status are not selected
    FilterState* Filter = nullptr;    // a compiled ShowOnly equation that selects, or none
    bool NameFileInErrors = false;    // add " in <file>" to a reader message that lacks it
    std::FILE* Progress = nullptr;    // where the progress line goes, or nowhere
};

struct RunResult {
    Outcome Result;             // success, or the message of the run's fault
    RunEnd End = RunEnd::Failed;
    std::uint32_t FramesRead = 0;   // the reference number of the last frame read
    std::uint32_t FilesOpened = 0;
    bool ProgressShown = false;     // a progress line was printed (and no line end after it)
};

// The RunSpec a program's shared settings give: files, window, and no filter.
RunSpec RunSpecOf(const RunSettings& settings);

// The run's steps for one frame, in order: numbering, timing, the window,
// the selection. RunCapture takes every frame read through them; a test or
// fuzzer that makes frames in memory can take them through the same steps.
struct FrameSteps {
    const RunSpec* Plan = nullptr;
    std::uint32_t StartRef = 0;  // the RunSpec's window and flags, at hand
    std::uint32_t EndRef = 0;
    bool Selecting = false;      // the RunSpec leaves frames of the window out
    bool DeltaWanted = false;
    TimingState Timing;
    bool FirstFrame = true;
    RunFrame Taken;              // the frame stepped last; Taken.ReferenceNumber counts them
};

// Sets the steps up for a run at a (valid) baud index; false above 8.
bool StartFrameSteps(FrameSteps& steps, const RunSpec& runSpec, std::uint16_t baudIndex);

// Numbers, times, places and selects the next frame read; the result is
// valid until the next step.
const RunFrame& StepFrame(FrameSteps& steps, const CaptureFrame& frame);

// Runs the capture into the sink. The capture files are closed when it
// returns; the sink's own outputs are the caller's to finish.
RunResult RunCapture(const RunSpec& runSpec, const RunSink& sink);

}  // namespace zelmot
