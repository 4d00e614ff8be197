// CollectBusStats: the reader's records of a run taken one by one into the
// statistics, the first file's header choosing the timing, and a progress
// line (file name and percentage read) when asked for.
#include "capture/frame_reader.h"
#include "stats/stats_collector.h"

namespace zelmot {
namespace {

struct Progress {
    std::FILE* Out = nullptr;
    std::uint32_t LastPercent = 101;  // none printed for this file yet
    bool Printed = false;
};

void ShowProgress(Progress& progress, const CaptureReader& reader, std::uint64_t position) {
    if (progress.Out == nullptr) return;
    std::uint64_t size = reader.CaptureFileSize;
    std::uint32_t percent = size == 0 ? 100 : static_cast<std::uint32_t>(position * 100 / size);
    if (percent > 100) percent = 100;
    if (percent == progress.LastPercent) return;
    progress.LastPercent = percent;
    progress.Printed = true;
    std::fprintf(progress.Out, "%s %3u%%\r", reader.CurrentCaptureName.c_str(), percent);
    std::fflush(progress.Out);
}

void ClearProgress(Progress& progress) {
    if (progress.Out == nullptr || !progress.Printed) return;
    std::fputc('\n', progress.Out);
    std::fflush(progress.Out);
}

// The reader's message, with the file it was reading when it does not name it.
Outcome NamingTheFile(const std::string& text, const std::string& fileName) {
    if (fileName.empty() || text.find(fileName) != std::string::npos) return ErrorTextOf(text);
    return ErrorTextOf(text + " in " + fileName);
}

Outcome ReadRun(CaptureReader& reader, StatsCollector& collector, BusStats& stats, const RunSettings& settings,
                Progress& progress) {
    bool timingChosen = false;
    std::uint32_t frameTick = 0;
    for (;;) {
        switch (PullRecord(reader)) {
            case RecordKind::Frame:
                if ((++frameTick & 0xFFFu) == 0) ShowProgress(progress, reader, reader.Frame.FileOffset);
                if (!CollectFrame(collector, stats, reader.Frame)) return Success();
                break;
            case RecordKind::HeaderRead:
                break;
            case RecordKind::FileOpened: {
                stats.FilesRead = reader.FilesOpened;
                progress.LastPercent = 101;
                ShowProgress(progress, reader, 0);
                if (timingChosen) break;
                std::uint16_t baudIndex = HeaderBaudIndex(reader.Header);
                if (!StartStatsCollection(collector, stats, baudIndex, settings.StartRef, settings.EndRef))
                    return ErrorText("Capture File Header Error: Invalid Baud Index %u (0-8) in %s", baudIndex,
                                     reader.CurrentCaptureName.c_str());
                timingChosen = true;
                break;
            }
            case RecordKind::SyncLost:
                CollectResync(collector, stats, reader.Event.SyncLost.ReferenceNumber);
                break;
            case RecordKind::EndOfCapture:
                if (reader.FilesOpened == 0) return ErrorText("No Capture File to Read (NumMin=0)");
                return Success();
            case RecordKind::Error:
                return NamingTheFile(reader.Event.Text, reader.CurrentCaptureName);
        }
    }
}

}  // namespace

Outcome CollectBusStats(const RunSettings& settings, BusStats& stats, std::FILE* progressOut) {
    CaptureReader reader;
    StatsCollector collector;
    Progress progress;
    progress.Out = progressOut;
    StartCaptureReader(reader, RunFilesOf(settings));
    Outcome result = ReadRun(reader, collector, stats, settings, progress);
    stats.FilesRead = reader.FilesOpened;
    CloseCaptureReader(reader);
    ClearProgress(progress);
    if (result.IsOk()) FinishBusStats(collector, stats);
    return result;
}

}  // namespace zelmot
