// Axis maths of the charts: steps of 1, 2 or 5 times a power of ten that
// cover the data with few ticks, log ticks, time steps, pixel mapping.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "html/chart_axis.h"

namespace zelmot {
namespace {

TEST(ChartAxis, NiceStepIsOneTwoOrFiveTimesAPowerOfTen) {
    struct Case {
        double Span;
        int Ticks;
        double Step;
    };
    const Case cases[] = {{10, 5, 2}, {10, 10, 1}, {7, 5, 2}, {0.3, 3, 0.1}, {1234, 5, 500},
                          {3600, 6, 1000}, {1, 1, 1}, {0.0042, 4, 0.002}, {0, 5, 1}, {-3, 5, 1}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(NiceStep(c.Span, c.Ticks), c.Step) << c.Span << "/" << c.Ticks;
}

TEST(ChartAxis, LinearTicksCoverTheRangeWithinTheTickLimit) {
    struct Case {
        double Lo, Hi;
        int MaxTicks;
    };
    const Case cases[] = {{0, 1, 6},     {0, 3217, 6},   {0, 9.99, 6}, {13, 13, 6}, {-7, 42, 5},
                          {0, 1e-3, 6},  {0, 1e12, 10},  {5, 2, 6},    {0, 0, 6},   {0.1, 0.7, 4}};
    for (const Case& c : cases) {
        const LinearTicks ticks = MakeLinearTicks(c.Lo, c.Hi, c.MaxTicks);
        EXPECT_LE(ticks.Count, c.MaxTicks) << c.Lo << ".." << c.Hi;
        EXPECT_GE(ticks.Count, 2);
        EXPECT_LE(TickValue(ticks, 0), std::min(c.Lo, c.Hi));
        EXPECT_GE(TickValue(ticks, ticks.Count - 1), std::max(c.Lo, c.Hi));
        // Labels with Decimals digits tell every tick apart.
        const double unit = std::pow(10.0, -ticks.Decimals);
        EXPECT_LE(unit, ticks.Step * (1 + 1e-9));
    }
    const LinearTicks tenths = MakeLinearTicks(0, 0.3, 4);
    EXPECT_EQ(TickValue(tenths, 3), 0.3);  // rounded: no 0.30000000000000004
}

TEST(ChartAxis, LogTicksPerDecadeOrThinned) {
    EXPECT_EQ(MakeLogTicks(1, 100, 10), (std::vector<double>{1, 2, 5, 10, 20, 50, 100}));
    EXPECT_EQ(MakeLogTicks(3, 700, 10), (std::vector<double>{5, 10, 20, 50, 100, 200, 500}));
    EXPECT_EQ(MakeLogTicks(1, 1e6, 5), (std::vector<double>{1, 100, 1e4, 1e6}));
    EXPECT_EQ(MakeLogTicks(1.5, 1.8, 5), (std::vector<double>{1.5, 1.8}));  // no tick inside: the ends
    EXPECT_TRUE(MakeLogTicks(0, 10, 5).empty());
}

TEST(ChartAxis, TimeStepsInWholeClockUnits) {
    EXPECT_EQ(TimeTickStepSeconds(8, 10), 1);
    EXPECT_EQ(TimeTickStepSeconds(180, 10), 30);   // three minutes
    EXPECT_EQ(TimeTickStepSeconds(600, 10), 60);
    EXPECT_EQ(TimeTickStepSeconds(3601, 10), 600);
    EXPECT_EQ(TimeTickStepSeconds(30 * 86400.0, 10), 3 * 86400);
}

TEST(ChartAxis, ValuesMapOntoPixelsClamped) {
    const AxisScale linear{0, 100, false, 50, 850};
    EXPECT_DOUBLE_EQ(ToPixel(linear, 25), 250);
    EXPECT_DOUBLE_EQ(ToPixel(linear, -10), 50);
    EXPECT_DOUBLE_EQ(ToPixel(linear, 1e9), 850);
    const AxisScale flipped{0, 10, false, 200, 0};  // y grows downwards
    EXPECT_DOUBLE_EQ(ToPixel(flipped, 5), 100);
    const AxisScale log{1, 1000, true, 0, 300};
    EXPECT_NEAR(ToPixel(log, 10), 100, 1e-9);
    EXPECT_NEAR(ToPixel(log, 0), 0, 1e-9);  // non-positive on a log axis: the low end
    EXPECT_DOUBLE_EQ(ToPixel(AxisScale{5, 5, false, 0, 10}, 5), 0);  // empty range
}

}  // namespace
}  // namespace zelmot
