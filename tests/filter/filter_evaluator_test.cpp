// Evaluation of compiled equations on frames: fields, absent fields, data
// bounds, command-line arguments and 32-bit arithmetic.
#include <gtest/gtest.h>

#include <climits>

#include "filter/filter_compiler.h"
#include "filter_test_support.h"

namespace zelmot {
namespace {

using test::Bind;
using test::TestFrame;

std::int32_t Evaluate(const std::string& equation, TestFrame frame, std::array<std::int32_t, 4> args = {}) {
    FilterState state;
    const Outcome read = test::ReadEquation(equation + "#", state);
    EXPECT_TRUE(read.IsOk()) << equation << ": " << read.Text;
    state.FilterArgs = args;
    return EvaluateFilter(state, Bind(frame));
}

TEST(FilterEvaluator, PassesEveryFrameWithoutAnEquation) {
    FilterState state;
    TestFrame frame = test::TokenFrame();
    EXPECT_EQ(EvaluateFilter(state, Bind(frame)), 1);
    EXPECT_EQ(Evaluate(" ; nothing but a comment\n", test::TokenFrame()), 1);
}

TEST(FilterEvaluator, SelectsByAddressAndFunctionCode) {
    const std::string equation = "DA == 5 AND FC == SRDL";
    EXPECT_EQ(Evaluate(equation, test::Sd2Frame()), 1);
    EXPECT_EQ(Evaluate(equation, test::Sd1Frame()), 0);   // FC 0x49
    EXPECT_EQ(Evaluate(equation, test::TokenFrame()), 0);  // no FC
}

TEST(FilterEvaluator, ReadsTheFieldsOfAFrame) {
    TestFrame frame = test::Sd2Frame();
    frame.in.Fields.Status = 0x41;
    frame.in.GapUs = -7;
    frame.in.GapAftUs = 123456;
    struct Case { const char* equation; std::int32_t value; };
    const Case cases[] = {
        {"STS", 0x41},   {"STS & STSCHK", 0x40}, {"LEN", 4},         {"SD", 0x68},
        {"DA", 5},       {"SA", 2},              {"SA == 2", 1},     {"FC", 0x4C},
        {"DSAP", 0x3D},  {"SSAP", 0x3E},         {"GapTme", -7},     {"GapAft", 123456},
        {"DataByte[0]", 0x12}, {"DataByte[3]", 0xCD}, {"DataWord[0]", 0x1234}, {"DataWord[2]", 0xABCD},
        {"DataWord[0x1]", 0x34AB}, {"CmdArg[0] + CmdArg[3]", -1 + 40},
    };
    for (const Case& c : cases) EXPECT_EQ(Evaluate(c.equation, frame, {-1, 20, 30, 40}), c.value) << c.equation;
}

TEST(FilterEvaluator, GivesAbsentFieldsAs65536) {
    struct Case { const char* equation; TestFrame frame; std::int32_t value; };
    TestFrame truncated = test::Sd2Frame();
    truncated.bytes.resize(11);  // the frame ends after the second data byte
    TestFrame noAddress = test::Sd1Frame();
    noAddress.in.Fields.DA = kAbsentField;
    const Case cases[] = {
        {"FC", test::TokenFrame(), 65536},
        {"FC == SRDL", test::TokenFrame(), 0},
        {"FC <> SRDL", test::TokenFrame(), 1},
        {"DSAP", test::Sd1Frame(), 65536},
        {"SSAP", test::Sd1Frame(), 65536},
        {"DA", noAddress, 65536},
        {"SA", noAddress, 65536},
        {"DataByte[0]", test::Sd1Frame(), 65536},
        {"DataWord[0]", test::Sd1Frame(), 65536},
        {"DataByte[4]", test::Sd2Frame(), 65536},
        {"DataWord[3]", test::Sd2Frame(), 65536},
        {"DataWord[9] == 5", test::Sd2Frame(), 0},
        {"DataWord[9] <> 5", test::Sd2Frame(), 1},
        {"DataByte[1]", truncated, 0x34},
        {"DataByte[2]", truncated, 65536},  // inside DataLen, past the bytes
        {"DataWord[1]", truncated, 65536},
        {"CmdArg[4]", test::Sd1Frame(), 0},
        {"CmdArg[0xffff]", test::Sd1Frame(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Evaluate(c.equation, c.frame, {1, 2, 3, 4}), c.value) << c.equation;
}

TEST(FilterEvaluator, TreatsOffsetsOutsideTheFrameAsAbsent) {
    // Programs the compiler accepts but substitution never produces.
    struct Case { const char* text; std::int32_t value; };
    const Case cases[] = {{"V-1", 65536}, {"W-1", 65536}, {"P2", 65536}, {"P-1", 65536}, {"X-1", 0},
                          {"V2147483647", 65536}, {"W2147483647", 65536}};
    for (const Case& c : cases) {
        FilterState state;
        ASSERT_EQ(CompileFilter(c.text, state.FilterProgram).ErrorCode, 0) << c.text;
        TestFrame frame = test::Sd2Frame();
        EXPECT_EQ(EvaluateFilter(state, Bind(frame)), c.value) << c.text;
    }
}

TEST(FilterEvaluator, MasksTheSapExtensionBitOfAddresses) {
    EXPECT_EQ(Evaluate("DA == 5 AND SA == 2", test::Sd2Frame()), 1);
    EXPECT_EQ(Evaluate("DataByte[0] & SAPEXT", test::Sd2Frame()), 0);
    TestFrame high = test::Sd2Frame();
    high.bytes[9] = 0x85;  // data bytes are not masked
    EXPECT_EQ(Evaluate("DataByte[0]", high), 0x85);
}

TEST(FilterEvaluator, ComputesSigned32BitArithmetic) {
    struct Case { const char* equation; std::int32_t value; };
    const Case cases[] = {
        {"7 / 0", 0}, {"7 % 0", 0}, {"-7 / 2", -3}, {"-7 % 2", -1}, {"7 % -2", 1},
        {"1 - 2", -1}, {"~0", -1}, {"!0", 1}, {"!5", 0}, {"- -5", 5},
        {"2147483647 + 1", INT_MIN}, {"-2147483648 - 1", INT_MAX}, {"65536 * 65536", 0},
        {"-2147483648 * -1", INT_MIN}, {"-(-2147483648)", INT_MIN},
        {"-2147483648 / -1", INT_MIN}, {"-2147483648 % -1", 0}, {"-2147483648 / 2", INT_MIN / 2},
        {"-1 < 0", 1}, {"0xffff > -1", 1}, {"3 <= 3", 1}, {"2 >= 3", 0},
        {"6 & 3", 2}, {"6 | 3", 7}, {"6 ^ 3", 5}, {"6 & 3 | 8", 2},  // 6 & (3 | 8)
        {"2 AND 3", 1}, {"2 AND 0", 0}, {"0 OR 0", 0}, {"0 OR -4", 1},
        {"1 + 2 * 3 - 8 / 4", 5}, {"10 - 4 - 3", 3}, {"-2 * 3", -6},
    };
    for (const Case& c : cases) EXPECT_EQ(Evaluate(c.equation, test::Sd1Frame()), c.value) << c.equation;
}

TEST(FilterEvaluator, RunsLongProgramsAndReusesItsStack) {
    std::string sum = "1";
    for (int i = 0; i < 800; ++i) sum += " + DA";  // 4001 characters
    FilterState state;
    ASSERT_TRUE(test::ReadEquation(sum + "#", state).IsOk());
    TestFrame frame = test::Sd1Frame();
    EXPECT_EQ(EvaluateFilter(state, Bind(frame)), 4001);
    const std::int32_t* storage = state.Stack.data();
    EXPECT_EQ(EvaluateFilter(state, Bind(frame)), 4001);
    EXPECT_EQ(state.Stack.data(), storage);
    // Deep nesting on the right keeps many values on the stack at once.
    const std::string nested = "1 - (1 - (1 - (1 - (1 - (1 - (1 - 1))))))";
    EXPECT_EQ(Evaluate(nested, frame), 0);
}

}  // namespace
}  // namespace zelmot
