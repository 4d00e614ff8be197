// One pass, several consumers: every frame the run reads goes to the
// analysis, inside the window or not (the links between frames run over all
// of them). A frame first settles the request before it, which reaches the
// bus figures and the DP tracker as one exchange; then the frame itself is
// counted, and a request taken by the tracker and left waiting.
#include "analysis/analysis_run.h"

#include "analysis/finish_stats.h"

namespace zelmot {
namespace {

void Start(Analysis& analysis, const CaptureHeader& header, const BaudTiming& baud) {
    StartAnalysis(analysis, HeaderBaudIndex(header), baud);
}

void Resync(Analysis& analysis, const SyncLostNote& note) { AnalyseResync(analysis, note.ReferenceNumber); }

void SettleExchanged(Analysis& analysis, const Exchange& exchange) {
    CollectExchange(analysis.Bus, *analysis.Stats, exchange);
    TrackExchange(analysis.Dp, *analysis.Stats, exchange);
}

}  // namespace

void StartAnalysis(Analysis& analysis, std::uint16_t baudIndex, const BaudTiming& baud) {
    StartBusCollection(analysis.Bus, *analysis.Stats, baudIndex, baud);
}

bool AnalyseFrame(Analysis& analysis, const RunFrame& taken) {
    const AnalysedFrame frame = AnalyseRunFrame(taken);
    Exchange exchange;
    const Exchange* settled = SettleExchange(analysis.Exchanges, frame, exchange) ? &exchange : nullptr;
    CollectFrame(analysis.Bus, *analysis.Stats, frame, settled);
    if (frame.PastEnd) {
        if (settled != nullptr) TrackExchange(analysis.Dp, *analysis.Stats, *settled);
        return false;
    }
    TrackFrame(analysis.Dp, *analysis.Stats, frame, settled);
    if (frame.Class.Request) OpenExchange(analysis.Exchanges, frame);
    return true;
}

void AnalyseResync(Analysis& analysis, std::uint32_t referenceNumber) {
    CollectResync(analysis.Bus, *analysis.Stats, referenceNumber);
}

void FinishAnalysis(Analysis& analysis) {
    Exchange exchange;
    if (SettleLastExchange(analysis.Exchanges, exchange)) SettleExchanged(analysis, exchange);
    FinishBusStats(analysis.Bus, *analysis.Stats);
    FinishDpEvents(analysis.Stats->Events);
}

Outcome AnalyseCapture(const RunSettings& settings, BusStats& stats, std::FILE* progress) {
    Analysis analysis;
    analysis.Stats = &stats;
    RunSpec runSpec = RunSpecOf(settings);
    runSpec.NameFileInErrors = true;
    runSpec.GapAfterWanted = false;  // no figure reads it
    runSpec.Progress = progress;
    RunSink sink = SinkOf(analysis, true);
    sink.Started = SinkCall<Start>::Call;
    sink.SyncLost = SinkCall<Resync>::Call;
    sink.Frame = SinkCall<AnalyseFrame>::Call;
    RunResult result = RunCapture(runSpec, sink);
    stats.FilesRead = result.FilesOpened;
    if (result.ProgressShown) std::fputc('\n', progress);
    if (result.Result.IsOk()) FinishAnalysis(analysis);
    return result.Result;
}

}  // namespace zelmot
