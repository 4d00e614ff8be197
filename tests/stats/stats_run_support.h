// Test support for the statistics: a hand-built capture run collected
// through the library, and the real zelmot-stats run with its standard
// output and standard error kept apart.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stats/bus_stats.h"
#include "stats/collect_run.h"
#include "support/capture_builder.h"

namespace zelmot::test {

// A frame placed at a tick stamp, with its status byte.
struct Placed {
    std::uint64_t Ticks;
    Bytes Frame;
    std::uint8_t Status = 0;
};

inline Bytes StreamOf(const std::vector<Placed>& frames) {
    Bytes stream;
    for (const Placed& p : frames) Append(stream, RecordBytes(p.Ticks, p.Frame, p.Status));
    return stream;
}

// Collects <dir>/cap1200 with the given option words; fails the test on an error.
inline std::unique_ptr<BusStats> CollectRun(const TempDir& dir, const std::vector<std::string>& words = {}) {
    RunSettings settings;
    for (const std::string& w : words) EXPECT_TRUE(ParseSharedOption(w.c_str(), settings, stderr)) << w;
    DeriveCaptureNames(dir.Path("cap1200"), settings);
    auto stats = std::make_unique<BusStats>();
    Outcome result = CollectBusStats(settings, *stats, nullptr);
    EXPECT_TRUE(result.IsOk()) << result.Text;
    return stats;
}

struct StatsRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

StatsRun RunStats(const std::vector<std::string>& args, const TempDir& scratch);

}  // namespace zelmot::test
