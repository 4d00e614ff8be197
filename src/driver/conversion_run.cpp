// RunConversion: the option file read and the output created in their fixed
// order, then the capture run with the line writer as its sink: on one core
// the run's thread writes each line itself, on more it shares the
// formatting with the line stage's workers. All state of a conversion lives in one ConversionRun record
// on the stack, so runs in one process never see each other's state.
#include "driver/conversion_run.h"

#include "driver/line_stage.h"
#include "filter/filter_state.h"
#include "options/option_file.h"
#include "output/line_writer.h"
#include "run/capture_run.h"
#include "run/platform_io.h"

namespace zelmot {
namespace {

struct ConversionRun {
    const ConversionSettings* Settings = nullptr;
    DisplayOptions Options;
    FilterState Filter;
    TextOut Out;
    LineStage Stage;
    KeptLineTexts Kept;  // of the lines the run's thread writes itself
    bool Staged = false;  // the lines and events go through the stage
};

// An event's text, in its place among the lines.
template <typename Write>
void WriteEvent(ConversionRun& run, Write write) {
    if (!run.Staged) return write(run.Out);
    write(EventTextOut(run.Stage));
    AddEventText(run.Stage);
}

void EchoHeader(ConversionRun& run, const CaptureHeader& header) {
    WriteEvent(run, [&](TextOut& out) {
        WriteHeaderEcho(out, header, run.Settings->OptionFileName, run.Filter.EquationText);
    });
}

void WriteFileOpened(ConversionRun& run, const std::string& fileName) {
    WriteEvent(run, [&](TextOut& out) { WriteFileLine(out, fileName); });
}

void WriteSyncLost(ConversionRun& run, const SyncLostNote& note) {
    WriteEvent(run, [&](TextOut& out) { WriteSyncLostNote(out, note); });
}

bool WriteLine(ConversionRun& run, const RunFrame& frame) {
    WriteFrameLine(run.Out, run.Options, *frame.Frame, frame.ReferenceNumber, *frame.Timing, run.Kept);
    return true;
}

bool StageLine(ConversionRun& run, const RunFrame& frame) {
    AddFrameLine(run.Stage, *frame.Frame, frame.ReferenceNumber, *frame.Timing);
    return true;
}

unsigned LineWorkersOf(const ConversionSettings& settings) {
    return settings.LineWorkers != 0 ? settings.LineWorkers : LineWorkersFor(UsableCoreCount());
}

// The closing text after a regular end, and the output closed; a failed
// write is a fault.
Outcome FinishOutput(ConversionRun& run, const RunResult& result) {
    if (result.End == RunEnd::Failed) {
        CloseTextOut(run.Out);
        return result.Result;
    }
    PutText(run.Out, result.End == RunEnd::LastReference ? kLastReferenceText : kEndOfCaptureText);
    if (!CloseTextOut(run.Out))
        return ErrorText("Unable to Write Output Text File %s", run.Settings->OutputName.c_str());
    return Success();
}

}  // namespace

void DeriveConversionNames(const std::string& captureName, const std::string& optionArgument,
                           ConversionSettings& settings) {
    DeriveCaptureNames(captureName, settings.Run);
    std::size_t slash = optionArgument.find_last_of("\\/");
    settings.OptionBaseName = slash == std::string::npos ? optionArgument : optionArgument.substr(slash + 1);
    settings.OutputName = captureName + "_" + settings.OptionBaseName + ".txt";
    settings.OptionFileName = optionArgument + ".opt";
}

Outcome RunConversion(const ConversionSettings& settings, std::FILE* console) {
    ConversionRun run;
    run.Settings = &settings;
    run.Filter.FilterArgs = settings.Run.Args;
    run.Filter.EquationText.clear();
    Outcome options = ReadOptionFile(settings.OptionFileName, run.Options, run.Filter);
    if (!options.IsOk()) return options;
    if (!OpenTextOutFile(run.Out, settings.OutputName))
        return ErrorText("Unable to Open Output Text File %s", settings.OutputName.c_str());
    RunSpec runSpec = RunSpecOf(settings.Run);
    runSpec.TimesWanted = TimeColumnsShown(run.Options) || (run.Options.ShowOnlyActive && run.Filter.ReadsGaps);
    runSpec.DeltaWanted = true;
    runSpec.SkipDamaged = run.Options.NoBad;
    runSpec.Filter = run.Options.ShowOnlyActive ? &run.Filter : nullptr;
    // The line writer reads the frame's bytes; only the filter reads its fields.
    runSpec.Files.LocateFields = runSpec.Filter != nullptr;
    runSpec.Progress = console;
    RunSink sink = SinkOf(run);
    sink.HeaderRead = SinkCall<EchoHeader>::Call;
    sink.FileOpened = SinkCall<WriteFileOpened>::Call;
    sink.SyncLost = SinkCall<WriteSyncLost>::Call;
    // The run's thread formats lines too, beside workers - 1 worker threads.
    unsigned workers = LineWorkersOf(settings);
    run.Staged = workers > 1 && StartLineStage(run.Stage, run.Options, run.Out, workers - 1);
    sink.Frame = run.Staged ? SinkCall<StageLine>::Call : SinkCall<WriteLine>::Call;
    RunResult result = RunCapture(runSpec, sink);
    if (run.Staged) FinishLineStage(run.Stage);
    return FinishOutput(run, result);
}

}  // namespace zelmot
