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
    std::uint64_t size = 0;
    std::uint64_t low = 1;
    std::uint64_t high = 0;
    std::uint32_t percent = 0;
};

struct ConversionRun {
    DisplayOptions options;
    FilterState filter;
    TextOut out;
    CaptureReader reader;
    TimingState timing;
    std::uint32_t ReferenceNumber = 0;
    bool FirstFrame = true;
    ProgressRange progress;
    std::uint32_t LastProgressPercent = 100;  // the progress last printed; 100 after each opening
    bool TimingChosen = false;                // by the first file's header
};

bool FilterPasses(ConversionRun& run, const CaptureFrame& frame) {
    const FrameTiming& t = run.timing.Current;
    FilterInputs in{frame.Bytes.data(), frame.Length, frame.Fields, ToFilterMicroseconds(t.GapTime),
                    ToFilterMicroseconds(t.GapAfterTime)};
    return EvaluateFilter(run.filter, in) != 0;
}

// position * 100 / size, recomputed only when the position leaves the range
// of positions that give the percentage computed last.
std::uint32_t ProgressOf(ProgressRange& range, std::uint64_t position, std::uint64_t size) {
    if (size == range.size && position >= range.low && position < range.high) return range.percent;
    range.size = size;
    if (size == 0) {
        range.percent = 100;
        range.low = range.high = 0;
        return range.percent;
    }
    range.percent = static_cast<std::uint32_t>(position * 100 / size);
    range.low = (range.percent * size + 99) / 100;
    range.high = ((range.percent + 1) * size + 99) / 100;
    return range.percent;
}

void UpdateProgress(ConversionRun& run, std::uint64_t position, std::FILE* console) {
    const CaptureReader& reader = run.reader;
    std::uint32_t percent = ProgressOf(run.progress, position, reader.CaptureFileSize);
    if (percent == run.LastProgressPercent) return;
    run.LastProgressPercent = percent;
    if (console != nullptr) std::fprintf(console, "%s %2u%%\r", reader.CurrentCaptureName.c_str(), percent);
}

// Closes both files after a regular end; a failed write is a fault.
Outcome FinishRun(ConversionRun& run, const RunSettings& settings, std::string_view closingText) {
    PutText(run.out, closingText);
    CloseCaptureReader(run.reader);
    if (!CloseTextOut(run.out))
        return ErrorText("Unable to Write Output Text File %s", settings.OutputName.c_str());
    return Success();
}

Outcome FailRun(ConversionRun& run, Outcome fault) {
    CloseTextOut(run.out);
    CloseCaptureReader(run.reader);
    return fault;
}

// Numbers, times, selects and writes one frame; false when EndRef is passed.
bool TakeFrame(ConversionRun& run, const RunSettings& settings, std::FILE* console) {
    const CaptureFrame& frame = run.reader.Frame;
    ++run.ReferenceNumber;
    UpdateProgress(run, frame.FileOffset, console);
    ComputeFrameTiming(run.timing, run.FirstFrame, frame.TimeStamp, frame.NextTimeStamp, frame.Length);
    run.FirstFrame = false;
    if (run.ReferenceNumber < settings.StartRef) return true;
    if (run.ReferenceNumber > settings.EndRef) return false;
    if (run.options.NoBad && frame.Status != 0) return true;
    if (run.options.ShowOnlyActive && !FilterPasses(run, frame)) return true;
    WriteFrameLine(run.out, run.options, frame, run.ReferenceNumber, run.timing.Current);
    NoteLineWritten(run.timing);
    return true;
}

// The first file's header chooses the timing of the whole run.
Outcome TakeFirstFile(ConversionRun& run) {
    std::uint16_t baudIndex = HeaderBaudIndex(run.reader.Header);
    if (!SelectBaudTiming(baudIndex, run.timing))
        return ErrorText("Capture File Header Error: Invalid Baud Index %u (0-8) in %s", baudIndex,
                         run.reader.CurrentCaptureName.c_str());
    return Success();
}

Outcome ReadLoop(ConversionRun& run, const RunSettings& settings, std::FILE* console) {
    CaptureReader& reader = run.reader;
    for (;;) {
        switch (PullRecord(reader)) {
            case RecordKind::Frame:
                if (!TakeFrame(run, settings, console))
                    return FinishRun(run, settings, kLastReferenceText);
                break;
            case RecordKind::HeaderRead:
                WriteHeaderEcho(run.out, reader.Event.Header, settings.OptionFileName,
                                run.filter.EquationText);
                break;
            case RecordKind::FileOpened: {
                WriteFileLine(run.out, reader.Event.Text);
                run.LastProgressPercent = 100;
                if (run.TimingChosen) break;
                Outcome first = TakeFirstFile(run);
                if (!first.IsOk()) return FailRun(run, first);
                run.TimingChosen = true;
                break;
            }
            case RecordKind::SyncLost:
                WriteSyncLostNote(run.out, reader.Event.SyncLost);
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
    run.filter.FilterArgs = settings.Args;
    run.filter.EquationText.clear();
    Outcome options = ReadOptionFile(settings.OptionFileName, run.options, run.filter);
    if (!options.IsOk()) return options;
    run.timing.TimesWanted = TimesAreRead(run.options);
    if (!OpenTextOutFile(run.out, settings.OutputName))
        return ErrorText("Unable to Open Output Text File %s", settings.OutputName.c_str());
    StartCaptureReader(run.reader, RunFilesOf(settings));
    return ReadLoop(run, settings, console);
}

}  // namespace zelmot
