// The numbers and times the reports write: numbers in full with
// separators, microseconds, absolute clock times.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "report/number_text.h"

namespace zelmot {
namespace {

TEST(NumberText, NumbersInFullWithSeparators) {
    EXPECT_EQ(GroupedUnsigned(0), "0");
    EXPECT_EQ(GroupedUnsigned(999), "999");
    EXPECT_EQ(GroupedUnsigned(1000), "1,000");
    EXPECT_EQ(GroupedUnsigned(123456789), "123,456,789");
    EXPECT_EQ(GroupedUnsigned(std::numeric_limits<std::uint64_t>::max()), "18,446,744,073,709,551,615");
    EXPECT_EQ(GroupedInteger(-1234), "-1,234");
    EXPECT_EQ(GroupedInteger(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
    EXPECT_EQ(GroupedFixed(1234567.891, 2), "1,234,567.89");
    EXPECT_EQ(GroupedFixed(-999.9996, 3), "-1,000.000");
    EXPECT_EQ(GroupedFixed(-0.0001, 2), "0.00");
    EXPECT_EQ(GroupedFixed(42.5, 0), "42");  // printf rounding: to even
    EXPECT_EQ(MicrosecondsText(std::int64_t{1234567}), "1,234.567");
    EXPECT_EQ(MicrosecondsText(std::int64_t{-5}), "-0.005");
    EXPECT_EQ(MicrosecondsText(2500.4), "2.500");
}

TEST(NumberText, ClockTimeOfTheAbsoluteColumn) {
    EXPECT_EQ(ClockText(0, 0), "00:00:00");
    EXPECT_EQ(ClockText(((12 * 60 + 34) * 60 + 56) * 1000000000LL + 789654321, 3), "12:34:56.789");
    EXPECT_EQ(ClockText(100LL * 3600 * 1000000000LL, 0), "100:00:00");  // hours not reduced
    EXPECT_EQ(ClockText(1999999999, 9), "00:00:01.999999999");
    EXPECT_EQ(ClockText(-1500000000, 1), "-00:00:01.5");
}

}  // namespace
}  // namespace zelmot
