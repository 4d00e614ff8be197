// RunConversion: start-up in its fixed order, then the frame loop. All state
// of a run lives in one ConversionRun record on the stack, so runs in one
// process never see each other's state.
#include "driver/conversion_run.h"

#include "capture/frame_reader.h"
#include "driver/frame_filter_inputs.h"
#include "filter/filter_state.h"
#include "options/option_file.h"
#include "output/frame_columns.h"
#include "output/time_columns.h"

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
    CaptureFrame frame;
    FrameFieldView view;
    std::uint32_t ReferenceNumber = 0;
    bool FirstFrame = true;
    ProgressRange progress;
};

// Nanoseconds to microseconds for the filter, truncating toward zero.
std::int32_t ToFilterMicroseconds(std::int64_t ns) {
    std::int64_t us = ns / 1000;
    if (us > INT32_MAX) return INT32_MAX;
    if (us < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(us);
}

// Whether any column or the filter reads a frame's times.
bool TimesAreRead(const DisplayOptions& o) {
    return o.ShowOnlyActive || o.TmeAbs.Present() || o.TmeGap.Present() || o.TmeGapAft.Present() ||
           o.TmeDelta.Present() || o.GrphGap.Width != 0 || o.GrphGapAft.Width != 0 ||
           o.GrphDelta.Width != 0;
}

bool FilterPasses(ConversionRun& run) {
    const FrameTiming& t = run.timing.current;
    FilterInputs in = FrameFilterInputs(run.frame, run.view);
    in.GapUs = ToFilterMicroseconds(t.GapTime);
    in.GapAftUs = ToFilterMicroseconds(t.GapAfterTime);
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
    CaptureReader& reader = run.reader;
    std::uint32_t percent = ProgressOf(run.progress, position, reader.CaptureFileSize);
    if (percent == reader.LastProgressPercent) return;
    reader.LastProgressPercent = percent;
    if (console != nullptr) std::fprintf(console, "%s %2u%%\r", reader.CurrentCaptureName.c_str(), percent);
}

void WriteFrameLine(ConversionRun& run, std::uint64_t position) {
    TextOut& out = run.out;
    if (run.options.ShowFileOfs) {
        PutHex(out, static_cast<std::uint32_t>(position), 8);
        PutText(out, ": ");
    }
    if (!run.options.NoRef) {
        PutUnsigned(out, run.ReferenceNumber, 9);
        PutText(out, ": ");
    }
    WriteTimeColumns(out, run.options, run.timing);
    WriteFrameColumns(out, run.options, run.frame.bytes.data(), run.frame.Length);
    PutChar(out, '\n');
}

// Closes both files after a regular end; a failed write is a fault.
Outcome FinishRun(ConversionRun& run, const RunSettings& settings, const char* closingText) {
    PutText(run.out, closingText);
    if (!CloseRunFiles(run.reader))
        return ErrorText("Unable to Write Output Text File %s", settings.OutputName.c_str());
    return Success();
}

Outcome FailRun(ConversionRun& run, Outcome fault) {
    CloseRunFiles(run.reader);
    return fault;
}

Outcome FrameLoop(ConversionRun& run, const RunSettings& settings, std::FILE* console) {
    for (;;) {
        Outcome read = ReadFrame(run.reader, run.frame, run.view, run.FirstFrame, run.ReferenceNumber);
        if (read.IsEnd()) return FinishRun(run, settings, "\nEnd of Capture Data\n");
        if (!read.IsOk()) return FailRun(run, read);
        ++run.ReferenceNumber;
        std::uint64_t position = CapturePosition(run.reader);
        UpdateProgress(run, position, console);
        ComputeFrameTiming(run.timing, run.FirstFrame, run.frame.TimeStamp, run.frame.NextTimeStamp,
                           run.frame.Length);
        run.FirstFrame = false;
        if (run.ReferenceNumber < settings.StartRef) continue;
        if (run.ReferenceNumber > settings.EndRef)
            return FinishRun(run, settings, "\nLast Reference Reached\n");
        if (run.options.NoBad && run.frame.Status != 0) continue;
        if (run.options.ShowOnlyActive && !FilterPasses(run)) continue;
        WriteFrameLine(run, position);
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
    StartCaptureReader(run.reader, run.out, settings.CaptureBaseName, settings.StartHour,
                       settings.StartMinute, settings.NumMin, settings.OptionFileName,
                       run.filter.EquationText);
    Outcome opened = OpenNextCaptureFile(run.reader);
    if (opened.IsEnd()) return FailRun(run, ErrorText("No Capture File to Convert (NumMin=0)"));
    if (!opened.IsOk()) return opened;
    std::uint16_t baudIndex = HeaderBaudIndex(run.reader.Header);
    if (!SelectBaudTiming(baudIndex, run.timing))
        return FailRun(run, ErrorText("Capture File Header Error: Invalid Baud Index %u (0-8) in %s",
                                      baudIndex, run.reader.CurrentCaptureName.c_str()));
    Outcome synced = SyncToRecords(run.reader);
    if (!synced.IsOk()) return FailRun(run, synced);
    return FrameLoop(run, settings, console);
}

}  // namespace zelmot
