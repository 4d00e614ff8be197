// The analysis of one run: the frames of the capture run go once through
// the frame classes and the request-answer pairing, and then to each
// consumer in turn -- the bus figures and the DP tracker -- all filling one
// BusStats. The steps are open for a reader that feeds frames itself (a
// test's frames in memory); AnalyseCapture runs a capture's files.
#pragma once

#include <cstdio>

#include "analysis/bus_collector.h"
#include "analysis/bus_stats.h"
#include "analysis/dp_tracker.h"
#include "analysis/exchange.h"
#include "common/outcome.h"
#include "run/capture_run.h"
#include "run/command_line.h"

namespace zelmot {

struct Analysis {
    BusStats* Stats = nullptr;  // fresh at the start
    ExchangeLink Exchanges;
    BusCollector Bus;
    DpTracker Dp;
};

// The first file's header gave this baud index and timing.
void StartAnalysis(Analysis& analysis, std::uint16_t baudIndex, const BaudTiming& baud);

// Takes the next frame read. False once the frame lies past EndRef: it has
// settled the last request, and reading ends.
bool AnalyseFrame(Analysis& analysis, const RunFrame& frame);

// A record boundary was lost after `referenceNumber` frames.
void AnalyseResync(Analysis& analysis, std::uint32_t referenceNumber);

// The end of reading: the request read last is unanswered; then the
// derived figures and the events in time order.
void FinishAnalysis(Analysis& analysis);

// Reads the run's capture files and fills stats (which must be fresh);
// progress lines go to progress when it is not null. Success, or the message
// of the first fault, which names the file.
Outcome AnalyseCapture(const RunSettings& settings, BusStats& stats, std::FILE* progress);

}  // namespace zelmot
