// RunConversion: start-up in its fixed order, then the frame loop. All state
// of a run lives in one ConversionRun record on the stack, so runs in one
// process never see each other's state.
#include "driver/conversion_run.h"

#include "capture/frame_reader.h"
#include "capture/frame_timing.h"
#include "filter/filter_state.h"
#include "options/option_file.h"
#include "output/line_writer.h"

namespace zelmot {
namespace {

// The positions [low, high) of a capture file of the given size that show
// the same whole percentage.
struct ProgressRange {
    std::uint64_t Size = 0;
    std::uint64_t Low = 1;
    std::uint64_t High = 0;
    std::uint32_t Percent = 0;
};

struct ConversionRun {
    DisplayOptions Options;
    FilterState Filter;
    TextOut Out;
    CaptureReader Reader;
    TimingState Timing;
    std::uint32_t ReferenceNumber = 0;
    bool FirstFrame = true;
    ProgressRange Progress;
    std::uint32_t LastProgressPercent = 100;  // the progress last printed; 100 after each opening
    bool TimingChosen = false;                // by the first file's header
};

bool FilterPasses(ConversionRun& run, const CaptureFrame& frame) {
    const FrameTiming& t = run.Timing.Current;
    FilterInputs in{frame.Bytes.data(), frame.Length, frame.Fields, ToFilterMicroseconds(t.GapTime),
                    ToFilterMicroseconds(t.GapAfterTime)};
    return EvaluateFilter(run.Filter, in) != 0;
}

// position * 100 / size, recomputed only when the position leaves the range
// of positions that give the percentage computed last.
std::uint32_t ProgressOf(ProgressRange& range, std::uint64_t position, std::uint64_t size) {
    if (size == range.Size && position >= range.Low && position < range.High) return range.Percent;
    range.Size = size;
    if (size == 0) {
        range.Percent = 100;
        range.Low = range.High = 0;
        return range.Percent;
    }
    range.Percent = static_cast<std::uint32_t>(position * 100 / size);
    range.Low = (range.Percent * size + 99) / 100;
    range.High = ((range.Percent + 1) * size + 99) / 100;
    return range.Percent;
}

void UpdateProgress(ConversionRun& run, std::uint64_t position, std::FILE* console) {
    const CaptureReader& reader = run.Reader;
    std::uint32_t percent = ProgressOf(run.Progress, position, reader.CaptureFileSize);
    if (percent == run.LastProgressPercent) return;
    run.LastProgressPercent = percent;
    if (console != nullptr) std::fprintf(console, "%s %2u%%\r", reader.CurrentCaptureName.c_str(), percent);
}

// Closes both files after a regular end; a failed write is a fault.
Outcome FinishRun(ConversionRun& run, const RunSettings& settings, std::string_view closingText) {
    PutText(run.Out, closingText);
    CloseCaptureReader(run.Reader);
    if (!CloseTextOut(run.Out))
        return ErrorText("Unable to Write Output Text File %s", settings.OutputName.c_str());
    return Success();
}

Outcome FailRun(ConversionRun& run, Outcome fault) {
    CloseTextOut(run.Out);
    CloseCaptureReader(run.Reader);
    return fault;
}

// Numbers, times, selects and writes one frame; false when EndRef is passed.
bool TakeFrame(ConversionRun& run, const RunSettings& settings, std::FILE* console) {
    const CaptureFrame& frame = run.Reader.Frame;
    ++run.ReferenceNumber;
    UpdateProgress(run, frame.FileOffset, console);
    ComputeFrameTiming(run.Timing, run.FirstFrame, frame.TimeStamp, frame.NextTimeStamp, frame.Length);
    run.FirstFrame = false;
    if (run.ReferenceNumber < settings.StartRef) return true;
    if (run.ReferenceNumber > settings.EndRef) return false;
    if (run.Options.NoBad && frame.Status != 0) return true;
    if (run.Options.ShowOnlyActive && !FilterPasses(run, frame)) return true;
    WriteFrameLine(run.Out, run.Options, frame, run.ReferenceNumber, run.Timing.Current);
    NoteLineWritten(run.Timing);
    return true;
}

// The first file's header chooses the timing of the whole run.
Outcome TakeFirstFile(ConversionRun& run) {
    std::uint16_t baudIndex = HeaderBaudIndex(run.Reader.Header);
    if (!SelectBaudTiming(baudIndex, run.Timing))
        return ErrorText("Capture File Header Error: Invalid Baud Index %u (0-8) in %s", baudIndex,
                         run.Reader.CurrentCaptureName.c_str());
    return Success();
}

Outcome ReadLoop(ConversionRun& run, const RunSettings& settings, std::FILE* console) {
    CaptureReader& reader = run.Reader;
    for (;;) {
        switch (PullRecord(reader)) {
            case RecordKind::Frame:
                if (!TakeFrame(run, settings, console))
                    return FinishRun(run, settings, kLastReferenceText);
                break;
            case RecordKind::HeaderRead:
                WriteHeaderEcho(run.Out, reader.Event.Header, settings.OptionFileName,
                                run.Filter.EquationText);
                break;
            case RecordKind::FileOpened: {
                WriteFileLine(run.Out, reader.Event.Text);
                run.LastProgressPercent = 100;
                if (run.TimingChosen) break;
                Outcome first = TakeFirstFile(run);
                if (!first.IsOk()) return FailRun(run, first);
                run.TimingChosen = true;
                break;
            }
            case RecordKind::SyncLost:
                WriteSyncLostNote(run.Out, reader.Event.SyncLost);
                break;
            case RecordKind::EndOfCapture:
                if (reader.FilesOpened == 0)
                    return FailRun(run, ErrorText("No Capture File to Convert (NumMin=0)"));
                return FinishRun(run, settings, kEndOfCaptureText);
            case RecordKind::Error:
                return FailRun(run, ErrorTextOf(reader.Event.Text));
        }
    }
}

}  // namespace

Outcome RunConversion(const RunSettings& settings, std::FILE* console) {
    ConversionRun run;
    run.Filter.FilterArgs = settings.Args;
    run.Filter.EquationText.clear();
    Outcome options = ReadOptionFile(settings.OptionFileName, run.Options, run.Filter);
    if (!options.IsOk()) return options;
    run.Timing.TimesWanted = TimesAreRead(run.Options);
    if (!OpenTextOutFile(run.Out, settings.OutputName))
        return ErrorText("Unable to Open Output Text File %s", settings.OutputName.c_str());
    StartCaptureReader(run.Reader, RunFilesOf(settings));
    return ReadLoop(run, settings, console);
}

}  // namespace zelmot
