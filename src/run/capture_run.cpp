// The one pull loop over the frame reader. All state of a run lives in one
// CaptureRun record on the stack, so runs in one process never see each
// other's state; the sink keeps its own.
#include "run/capture_run.h"

#include <cassert>

#include "run/progress_line.h"

namespace zelmot {
namespace {

struct CaptureRun {
    const RunSink* Sink = nullptr;
    CaptureReader Reader;
    FrameSteps Steps;
    bool Started = false;  // the first file's header chose the timing
    ProgressLine Progress;
};

// Whether the selection keeps a frame of the window.
[[gnu::always_inline]] inline bool Selects(FrameSteps& steps, const CaptureFrame& frame) {
    const RunSpec& runSpec = *steps.Plan;
    if (runSpec.SkipDamaged && frame.Status != 0) return false;
    if (runSpec.Filter == nullptr) return true;
    FilterState& filter = *runSpec.Filter;
    FilterInputs in{frame.Bytes.data(), frame.Length, frame.Fields, 0, 0};
    if (filter.ReadsGaps) {
        const FrameTiming& t = steps.Timing.Current;
        in.GapUs = ToFilterMicroseconds(t.GapTime);
        in.GapAftUs = ToFilterMicroseconds(t.GapAfterTime);
    }
    return EvaluateFilter(filter, in) != 0;
}

// StepFrame, inline in the run's frame loop.
[[gnu::always_inline]] inline const RunFrame& TakeSteps(FrameSteps& steps, const CaptureFrame& frame) {
    RunFrame& taken = steps.Taken;
    taken.Frame = &frame;
    std::uint32_t reference = ++taken.ReferenceNumber;
    ComputeFrameTiming(steps.Timing, steps.FirstFrame, frame.TimeStamp, frame.NextTimeStamp, frame.Length);
    steps.FirstFrame = false;
    taken.Selected = false;
    if (reference < steps.StartRef) {
        taken.Place = WindowPlace::Before;
        return taken;
    }
    if (reference > steps.EndRef) {
        taken.Place = WindowPlace::PastEnd;
        return taken;
    }
    taken.Place = WindowPlace::Inside;
    if (!steps.Selecting || Selects(steps, frame)) {
        taken.Selected = true;
        if (steps.DeltaWanted) NoteLineWritten(steps.Timing);  // the next delta runs from this frame
    }
    return taken;
}

// The frame past EndRef ends the run; a sink of every frame sees it first.
[[gnu::noinline]] RunEnd TakeLastFrame(const RunSink& sink, const RunFrame& taken) {
    if (sink.EveryFrame && !sink.Frame(sink.Context, taken)) return RunEnd::Stopped;
    return RunEnd::LastReference;
}

// Hands the frame read to the sink. False once the run ends with it: past
// EndRef, or stopped by the sink.
[[gnu::always_inline]] inline bool TakeFrame(CaptureRun& run, RunEnd& end) {
    const CaptureFrame& frame = run.Reader.Frame;
    UpdateProgress(run.Progress, run.Reader.CurrentCaptureName, frame.FileOffset, run.Reader.CaptureFileSize);
    const RunFrame& taken = TakeSteps(run.Steps, frame);
    const RunSink& sink = *run.Sink;
    if (taken.Place == WindowPlace::PastEnd) {
        end = TakeLastFrame(sink, taken);
        return false;
    }
    if (!taken.Selected && !sink.EveryFrame) return true;
    if (sink.Frame(sink.Context, taken)) return true;
    end = RunEnd::Stopped;
    return false;
}

// The reader's message, with the file it was reading when it does not name it.
Outcome ReaderFault(const CaptureRun& run) {
    const std::string& text = run.Reader.Event.Text;
    const std::string& fileName = run.Reader.CurrentCaptureName;
    if (!run.Steps.Plan->NameFileInErrors || fileName.empty() || text.find(fileName) != std::string::npos)
        return ErrorTextOf(text);
    return ErrorTextOf(text + " in " + fileName);
}

// A file was opened; the first one's header chooses the timing of the run.
Outcome TakeFileOpened(CaptureRun& run) {
    const RunSink& sink = *run.Sink;
    const CaptureReader& reader = run.Reader;
    if (sink.FileOpened != nullptr) sink.FileOpened(sink.Context, reader.Event.Text);
    RestartProgress(run.Progress);
    if (run.Started) return Success();
    std::uint16_t baudIndex = HeaderBaudIndex(reader.Header);
    if (!StartFrameSteps(run.Steps, *run.Steps.Plan, baudIndex))
        return ErrorText("Capture File Header Error: Invalid Baud Index %u (0-8) in %s", baudIndex,
                         reader.CurrentCaptureName.c_str());
    run.Started = true;
    if (sink.Started != nullptr) sink.Started(sink.Context, reader.Header, run.Steps.Timing.Baud);
    return Success();
}

RunEnd ReadLoop(CaptureRun& run, Outcome& fault) {
    CaptureReader& reader = run.Reader;
    const RunSink& sink = *run.Sink;
    RunEnd end = RunEnd::Failed;
    for (;;) {
        switch (PullRecord(reader)) {
            case RecordKind::Frame:
                if (!TakeFrame(run, end)) return end;
                break;
            case RecordKind::HeaderRead:
                if (sink.HeaderRead != nullptr) sink.HeaderRead(sink.Context, reader.Event.Header);
                break;
            case RecordKind::FileOpened:
                fault = TakeFileOpened(run);
                if (!fault.IsOk()) return RunEnd::Failed;
                break;
            case RecordKind::SyncLost:
                if (sink.SyncLost != nullptr) sink.SyncLost(sink.Context, reader.Event.SyncLost);
                RestartProgressRange(run.Progress);  // the search moved the read position
                break;
            case RecordKind::EndOfCapture:
                if (reader.FilesOpened > 0) return RunEnd::EndOfCapture;
                fault = ErrorText("No Capture File to Read (NumMin=0)");
                return RunEnd::Failed;
            case RecordKind::Error:
                fault = ReaderFault(run);
                return RunEnd::Failed;
            case RecordKind::Waiting:  // only a reader that follows a recording waits
                fault = ErrorText("Capture File Read Error: Data Under Run");
                return RunEnd::Failed;
        }
    }
}

}  // namespace

bool StartFrameSteps(FrameSteps& steps, const RunSpec& runSpec, std::uint16_t baudIndex) {
    steps = FrameSteps{};
    steps.Plan = &runSpec;
    steps.StartRef = runSpec.StartRef;
    steps.EndRef = runSpec.EndRef;
    steps.Selecting = runSpec.SkipDamaged || runSpec.Filter != nullptr;
    steps.DeltaWanted = runSpec.DeltaWanted;
    steps.Taken.Timing = &steps.Timing.Current;
    steps.Timing.TimesWanted = runSpec.TimesWanted;
    steps.Timing.GapAfterWanted = runSpec.GapAfterWanted || (runSpec.Filter != nullptr && runSpec.Filter->ReadsGaps);
    if (runSpec.Filter != nullptr) PrepareFilter(*runSpec.Filter);
    return SelectBaudTiming(baudIndex, steps.Timing);
}

const RunFrame& StepFrame(FrameSteps& steps, const CaptureFrame& frame) { return TakeSteps(steps, frame); }

RunSpec RunSpecOf(const RunSettings& settings) {
    RunSpec runSpec;
    runSpec.Files = RunFilesOf(settings);
    runSpec.StartRef = settings.StartRef;
    runSpec.EndRef = settings.EndRef;
    return runSpec;
}

RunResult RunCapture(const RunSpec& runSpec, const RunSink& sink) {
    assert(sink.Frame != nullptr);
    CaptureRun run;
    run.Steps.Plan = &runSpec;
    run.Sink = &sink;
    run.Progress.Out = runSpec.Progress;
    StartCaptureReader(run.Reader, runSpec.Files);
    RunResult result;
    result.End = ReadLoop(run, result.Result);
    assert(result.End == RunEnd::Failed ? !result.Result.IsOk() : result.Result.IsOk());
    CloseCaptureReader(run.Reader);
    result.FramesRead = run.Steps.Taken.ReferenceNumber;
    result.FilesOpened = run.Reader.FilesOpened;
    result.ProgressShown = run.Progress.Shown;
    return result;
}

}  // namespace zelmot
