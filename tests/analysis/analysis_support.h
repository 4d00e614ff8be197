// Test support for the analysis: frames placed at tick stamps, either run
// through the run's own steps (numbering, timing, the window) into the
// analysis in memory -- no capture file -- or written as a capture run and
// collected from disk as zelmot-stats reads it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/bus_stats.h"
#include "support/capture_builder.h"

namespace zelmot::test {

// The frames of a capture at baudIndex, through the same steps as a run of
// its files with these option words (StartRef=, EndRef=). As in a capture,
// each frame is delivered with the stamp of the record after it, so the
// last one placed only ends the one before it. A placed frame of no bytes
// stands for a lost record boundary.
inline std::unique_ptr<BusStats> AnalyseFrames(const std::vector<Placed>& frames,
                                               const std::vector<std::string>& words = {},
                                               std::uint16_t baudIndex = 8) {
    RunSettings settings;
    for (const std::string& w : words) EXPECT_TRUE(ParseSharedOption(w.c_str(), settings, stderr)) << w;
    RunSpec runSpec;
    runSpec.StartRef = settings.StartRef;
    runSpec.EndRef = settings.EndRef;
    FrameSteps steps;
    EXPECT_TRUE(StartFrameSteps(steps, runSpec, baudIndex));
    auto stats = std::make_unique<BusStats>();
    Analysis analysis;
    analysis.Stats = stats.get();
    StartAnalysis(analysis, baudIndex, steps.Timing.Baud);
    std::vector<const Placed*> real;
    for (const Placed& placed : frames)
        if (!placed.Frame.empty()) real.push_back(&placed);
    CaptureFrame frame;
    std::size_t next = 0;  // the real frame after the one taken
    for (const Placed& placed : frames) {
        if (placed.Frame.empty()) {
            AnalyseResync(analysis, steps.Taken.ReferenceNumber);
            continue;
        }
        if (++next == real.size()) break;
        EXPECT_LT(placed.Frame.size(), kFrameBufferSize);
        frame.Bytes.fill(0);
        std::copy(placed.Frame.begin(), placed.Frame.end(), frame.Bytes.begin());
        frame.Length = static_cast<std::uint8_t>(placed.Frame.size());
        frame.Bytes[frame.Length] = placed.Status;
        frame.Status = placed.Status;
        frame.TimeStamp = placed.Ticks;
        frame.NextTimeStamp = real[next]->Ticks;
        LocateFrameFields(frame);
        if (!AnalyseFrame(analysis, StepFrame(steps, frame))) break;
    }
    FinishAnalysis(analysis);
    return stats;
}

// Collects <dir>/cap1200 with the given option words; fails the test on an error.
inline std::unique_ptr<BusStats> CollectRun(const TempDir& dir, const std::vector<std::string>& words = {}) {
    RunSettings settings;
    for (const std::string& w : words) EXPECT_TRUE(ParseSharedOption(w.c_str(), settings, stderr)) << w;
    DeriveCaptureNames(dir.Path("cap1200"), settings);
    auto stats = std::make_unique<BusStats>();
    Outcome result = AnalyseCapture(settings, *stats, nullptr);
    EXPECT_TRUE(result.IsOk()) << result.Text;
    return stats;
}

}  // namespace zelmot::test
