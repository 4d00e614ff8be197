// The shared argument readers: blanks and words, numbers in their three
// spellings with their range limits, and times with every unit.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "options/option_values.h"
#include "support/case_names.h"

namespace zelmot {
namespace {

// A writable, terminated copy of a text (which may hold any byte).
std::vector<char> Buffer(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    return buffer;
}

TEST(SkipBlanks, PassesEveryWhiteSpaceCharacter) {
    auto buffer = Buffer(" \t\v\f\r\nword");
    EXPECT_EQ(SkipBlanks(buffer.data()), buffer.data() + 6);
}

TEST(SkipBlanks, CutsTheLineAtARemark) {
    auto buffer = Buffer("  ;remark");
    char* cursor = SkipBlanks(buffer.data());
    EXPECT_EQ(cursor, buffer.data() + 2);
    EXPECT_EQ(*cursor, '\0');
}

TEST(CutToken, EndsAtBlankTerminatorOrRemark) {
    auto blank = Buffer("word next");
    EXPECT_EQ(CutToken(blank.data()), blank.data() + 4);
    EXPECT_EQ(blank[4], ' ');  // a blank is left in place
    auto remark = Buffer("word;next");
    EXPECT_EQ(CutToken(remark.data()), remark.data() + 4);
    EXPECT_EQ(remark[4], '\0');
    auto end = Buffer("word");
    EXPECT_EQ(CutToken(end.data()), end.data() + 4);
}

struct NumberCase {
    std::string text;
    std::int32_t value;
    std::size_t cursorAfter;
};

std::string CaseText(const NumberCase& c) { return c.text; }
void PrintTo(const NumberCase& c, std::ostream* os) { test::PrintCaseText(c.text, os); }

class NumberReads : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberReads, ValueAndCursor) {
    auto buffer = Buffer(GetParam().text);
    char* cursor = buffer.data();
    std::int32_t value = 12345;
    Outcome result = ParseNumber(cursor, value);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(value, GetParam().value);
    EXPECT_EQ(cursor - buffer.data(), static_cast<std::ptrdiff_t>(GetParam().cursorAfter));
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Decimal, NumberReads,
    ::testing::Values(NumberCase{"50", 50, 2}, NumberCase{"+12 x", 12, 3}, NumberCase{"-7", -7, 2},
                      NumberCase{"12abc def", 12, 5}, NumberCase{"1.5", 1, 3},
                      NumberCase{"12;x y", 12, 4},  // a ';' does not stop the move
                      NumberCase{"2147483647", kMax, 10}, NumberCase{"2147483648", kMax, 10},
                      NumberCase{"99999999999999999999999", kMax, 23}, NumberCase{"-2147483648", kMin, 11},
                      NumberCase{"-2147483649", kMin, 11}, NumberCase{"007", 7, 3}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, NumberReads,
    ::testing::Values(NumberCase{"0x32", 50, 4}, NumberCase{"0X1f", 31, 4}, NumberCase{"0xAbC", 0xabc, 5},
                      NumberCase{"0x10g rest", 16, 5}, NumberCase{"0x7fffffff", kMax, 10},
                      NumberCase{"0x80000000", kMin, 10}, NumberCase{"0xFFFFFFFF", -1, 10},
                      NumberCase{"0x100000000", -1, 11}, NumberCase{"0xFFFFFFFFFFFFFFFFFFFF", -1, 22},
                      // Scanned as an unsigned-long conversion: a sign and a
                      // second prefix are accepted after the leading "0x".
                      NumberCase{"0x-1", -1, 4}, NumberCase{"0x-0x10", -16, 7}, NumberCase{"0x+0x10", 16, 7},
                      NumberCase{"0x-100000000", -1, 12}, NumberCase{"0x0xg", 0, 5},
                      NumberCase{"0x 5", 5, 2}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    QuotedCharacter, NumberReads,
    ::testing::Values(NumberCase{"'2", 50, 2}, NumberCase{"'2' next", 50, 3}, NumberCase{"'A", 65, 2},
                      NumberCase{"' x", 32, 1}, NumberCase{"'", 0, 1}, NumberCase{"'\x80", -128, 2},
                      NumberCase{"'\xff", -1, 2}),
    test::CaseNamer());

struct FailCase {
    std::string text;
    std::string message;
};

std::string CaseText(const FailCase& c) { return c.text; }
void PrintTo(const FailCase& c, std::ostream* os) { test::PrintCaseText(c.text, os); }

class NumberFails : public ::testing::TestWithParam<FailCase> {};

TEST_P(NumberFails, WithItsMessage) {
    auto buffer = Buffer(GetParam().text);
    char* cursor = buffer.data();
    std::int32_t value = 0;
    Outcome result = ParseNumber(cursor, value);
    ASSERT_TRUE(result.IsError());
    EXPECT_EQ(result.Text, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    All, NumberFails,
    ::testing::Values(FailCase{"", "Invalid Dec Numeric String ''"},
                      FailCase{"abc 5", "Invalid Dec Numeric String 'abc 5'"},
                      FailCase{"-", "Invalid Dec Numeric String '-'"},
                      FailCase{"+ 5", "Invalid Dec Numeric String '+ 5'"},
                      FailCase{"0x", "Invalid Hex Numeric String '0x'"},
                      FailCase{"0xg1", "Invalid Hex Numeric String '0xg1'"},
                      FailCase{"0x-", "Invalid Hex Numeric String '0x-'"},
                      FailCase{"0X;x", "Invalid Hex Numeric String '0X;x'"}),
    test::CaseNamer());

struct TimeCase {
    std::string text;
    std::int64_t nanoseconds;
};

std::string CaseText(const TimeCase& c) { return c.text; }
void PrintTo(const TimeCase& c, std::ostream* os) { test::PrintCaseText(c.text, os); }

class TimeReads : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeReads, Nanoseconds) {
    auto buffer = Buffer(GetParam().text);
    char* cursor = buffer.data();
    std::int64_t nanoseconds = 12345;
    Outcome result = ParseTimeValue(cursor, nanoseconds);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(nanoseconds, GetParam().nanoseconds);
}

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Units, TimeReads,
    ::testing::Values(TimeCase{"1hr", 3'600'000'000'000}, TimeCase{"1HR", 3'600'000'000'000},
                      TimeCase{"2hR", 7'200'000'000'000}, TimeCase{"3mn", 180'000'000'000},
                      TimeCase{"3MN", 180'000'000'000}, TimeCase{"4sc", 4'000'000'000},
                      TimeCase{"4Sc", 4'000'000'000}, TimeCase{"2ms", 2'000'000}, TimeCase{"2MS", 2'000'000},
                      TimeCase{"7us", 7'000}, TimeCase{"7uS", 7'000}, TimeCase{"9ns", 9}, TimeCase{"9NS", 9}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Numbers, TimeReads,
    ::testing::Values(TimeCase{"100us", 100'000}, TimeCase{"1.5ms", 1'000'000}, TimeCase{"-5us", -5'000},
                      TimeCase{"0ns", 0}, TimeCase{"0x10us", 16'000}, TimeCase{"'Aus", 65'000},
                      TimeCase{"'us", 0}, TimeCase{"2147483647sc", 2'147'483'647'000'000'000},
                      TimeCase{"2147483647hr", kMax64}, TimeCase{"-2147483648hr", kMin64},
                      TimeCase{"0xFFFFFFFFmn", -60'000'000'000}, TimeCase{"99999999999999mn", kMax64},
                      TimeCase{"153722868mn", kMax64}, TimeCase{"153722867mn", 9'223'372'020'000'000'000}),
    test::CaseNamer());

TEST(ParseTimeValue, LeavesCursorAtWordEndAndTheLineIntact) {
    auto buffer = Buffer("100us rest");
    char* cursor = buffer.data();
    std::int64_t nanoseconds = 0;
    ASSERT_TRUE(ParseTimeValue(cursor, nanoseconds).IsOk());
    EXPECT_EQ(cursor, buffer.data() + 5);
    EXPECT_STREQ(buffer.data(), "100us rest");
}

TEST(ParseTimeValue, RemarkEndsTheWord) {
    auto buffer = Buffer("3ms;remark");
    char* cursor = buffer.data();
    std::int64_t nanoseconds = 0;
    ASSERT_TRUE(ParseTimeValue(cursor, nanoseconds).IsOk());
    EXPECT_EQ(nanoseconds, 3'000'000);
    EXPECT_EQ(cursor, buffer.data() + 3);
    EXPECT_EQ(*cursor, '\0');
}

class TimeFails : public ::testing::TestWithParam<FailCase> {};

TEST_P(TimeFails, WithItsMessage) {
    auto buffer = Buffer(GetParam().text);
    char* cursor = buffer.data();
    std::int64_t nanoseconds = 0;
    Outcome result = ParseTimeValue(cursor, nanoseconds);
    ASSERT_TRUE(result.IsError());
    EXPECT_EQ(result.Text, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    All, TimeFails,
    ::testing::Values(FailCase{"", "Time Numeric String too short ''"},
                      FailCase{"5 us", "Time Numeric String too short '5'"},
                      FailCase{";5us", "Time Numeric String too short ''"},
                      FailCase{"us", "Invalid Dec Numeric String ''"},
                      FailCase{"100", "Time Numeric String Unit Expected '00' ("},
                      FailCase{"10s", "Time Numeric String Unit Expected '0s' ("},
                      FailCase{"5sec", "Time Numeric String Unit Expected 'ec' ("},
                      FailCase{"x5us", "Invalid Dec Numeric String 'x5'"},
                      FailCase{"0xzzms rest", "Invalid Hex Numeric String '0xzz'"}),
    test::CaseNamer());

}  // namespace
}  // namespace zelmot
