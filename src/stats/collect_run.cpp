// CollectBusStats: every frame the run reads goes to the statistics, inside
// the window or not (the links between frames run over all of them), and the
// first file's header sets the collection up.
#include "stats/collect_run.h"

#include "run/capture_run.h"
#include "stats/stats_collector.h"

namespace zelmot {
namespace {

struct StatsRun {
    StatsCollector Collector;
    BusStats* Stats = nullptr;
};

void Start(StatsRun& run, const CaptureHeader& header, const BaudTiming& baud) {
    StartStatsCollection(run.Collector, *run.Stats, HeaderBaudIndex(header), baud);
}

void CountResync(StatsRun& run, const SyncLostNote& note) {
    CollectResync(run.Collector, *run.Stats, note.ReferenceNumber);
}

bool Count(StatsRun& run, const RunFrame& frame) {
    CollectFrame(run.Collector, *run.Stats, frame);
    return true;
}

}  // namespace

Outcome CollectBusStats(const RunSettings& settings, BusStats& stats, std::FILE* progress) {
    StatsRun run;
    run.Stats = &stats;
    RunSpec runSpec = RunSpecOf(settings);
    runSpec.NameFileInErrors = true;
    runSpec.Progress = progress;
    RunSink sink = SinkOf(run, true);
    sink.Started = SinkCall<Start>::Call;
    sink.SyncLost = SinkCall<CountResync>::Call;
    sink.Frame = SinkCall<Count>::Call;
    RunResult result = RunCapture(runSpec, sink);
    stats.FilesRead = result.FilesOpened;
    if (result.ProgressShown) std::fputc('\n', progress);
    if (result.Result.IsOk()) FinishBusStats(run.Collector, stats);
    return result.Result;
}

}  // namespace zelmot
