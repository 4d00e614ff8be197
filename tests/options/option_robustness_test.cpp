// Random option files built from keyword pieces, numbers, units, remarks,
// quotes and stray bytes: reading never fails without a message, and what it
// stores stays inside the limits the output columns rely on.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>

#include "option_test_util.h"

namespace zelmot {
namespace {

// The empty piece stands for a NUL byte.
constexpr std::array<const char*, 30> kPieces{
    "NoRef",  "TmeAbs", "TmeGapAft", "GrphGap", "GrphDelta", "GrphGapAft", "Descrip=", "ShowFil", " ",  "\t",
    ";",      "'",      "0x",        "0X-",     "-",         "+",          "99999999999", "50",     "5", "hr",
    "Us",     "nS",     "mn",        "\r",      "\n",        "", "\xff", "=", "#", "ShowOnly"};

std::string RandomFile(std::mt19937& random) {
    std::string text;
    const int pieces = std::uniform_int_distribution<int>(0, 60)(random);
    for (int i = 0; i < pieces; ++i) {
        const std::size_t which = std::uniform_int_distribution<std::size_t>(0, kPieces.size() - 1)(random);
        if (std::strlen(kPieces[which]) == 0) {
            text.push_back('\0');
        } else {
            text += kPieces[which];
        }
        if (random() % 97 == 0) text += std::string(random() % 300, 'a');
    }
    return text;
}

TEST(OptionRobustness, RandomFilesKeepTheLimits) {
    std::mt19937 random(20240501);
    for (int round = 0; round < 5000; ++round) {
        const std::string text = RandomFile(random);
        TextSource source;
        source.Text = text;
        DisplayOptions options;
        FilterState filter;
        Outcome result = ReadOptionLines(source, options, filter);
        ASSERT_TRUE(result.IsOk() || (result.IsError() && !result.Text.empty())) << text;
        for (const TimeFormat* format : {&options.TmeAbs, &options.TmeGap, &options.TmeGapAft, &options.TmeDelta}) {
            ASSERT_LT(std::strlen(format->Text), sizeof format->Text) << text;
        }
        for (const GraphSpec* graph : {&options.GrphGap, &options.GrphGapAft, &options.GrphDelta}) {
            ASSERT_TRUE(graph->Width == 0 || (graph->Width >= 5 && graph->Width <= 100)) << text;
        }
    }
}

}  // namespace
}  // namespace zelmot
