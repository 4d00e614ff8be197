// Test support for zelmot-stats: the real program run with its standard
// output and standard error kept apart.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/capture_builder.h"

namespace zelmot::test {

struct StatsRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

StatsRun RunStats(const std::vector<std::string>& args, const TempDir& scratch);

}  // namespace zelmot::test
