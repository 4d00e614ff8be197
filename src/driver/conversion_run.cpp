// RunConversion: start-up in its fixed order, then the frame loop. All state
// of a run lives in one ConversionRun record on the stack, so runs in one
// process never see each other's state.
#include "driver/conversion_run.h"

#include "capture/frame_reader.h"
#include "filter/filter_state.h"
#include "options/option_file.h"
#include "output/frame_columns.h"
#include "output/time_columns.h"

namespace zelmot {
namespace {

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
};

// Nanoseconds to microseconds for the filter, truncating toward zero.
std::int32_t ToFilterMicroseconds(std::int64_t ns) {
    std::int64_t us = ns / 1000;
    if (us > INT32_MAX) return INT32_MAX;
    if (us < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(us);
}

bool FilterPasses(ConversionRun& run) {
    const FrameTiming& t = run.timing.current;
    FilterInputs in;
    in.bytes = run.frame.bytes.data();
    in.count = run.frame.Length;
    in.Status = run.view.Status;
    in.DataLen = run.view.DataLen;
    in.SD = run.view.SD;
    in.DA = run.view.DA;
    in.FC = run.view.FC;
    in.DSAP = run.view.DSAP;
    in.SSAP = run.view.SSAP;
    in.Data = run.view.Data;
    in.GapUs = ToFilterMicroseconds(t.GapTime);
    in.GapAftUs = ToFilterMicroseconds(t.GapAfterTime);
    return EvaluateFilter(run.filter, in) != 0;
}

void UpdateProgress(ConversionRun& run, std::uint64_t position, std::FILE* console) {
    CaptureReader& reader = run.reader;
    std::uint64_t size = reader.CaptureFileSize;
    std::uint32_t percent = size == 0 ? 100u : static_cast<std::uint32_t>(position * 100 / size);
    reader.ProgressPercent = percent;
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
