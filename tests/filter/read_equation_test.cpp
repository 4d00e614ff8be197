// ReadShowOnlyEquation as the option-file reader uses it: the messages of
// compile failures, and a second section replacing the first.
#include <gtest/gtest.h>

#include "filter_test_support.h"

namespace zelmot {
namespace {

TEST(ReadShowOnlyEquation, QuotesTheSubstitutedTextFromTheErrorPosition) {
    const std::string prefix = "Option ShowOnly Expression Error: ";
    struct Case { const char* equation; const char* message; };
    const Case cases[] = {
        {"STS == == 2#", "Missing Parameter ' == 2"},
        {"== STS#", "Missing Parameter '== M0"},  // position -1 quotes it all
        {"(DA == 5#", "Missing Parenthesis '5"},
        {"DA 5#", "Missing Operator ' 5"},
        {"DA == 5 , 6#", "Invalid Operator ', 6"},
        {"DataByte[0x12345] == 1#", "Invalid Value '5 == 1"},
        {"DA == 5)#", "Ambiguous Operator ')"},
        {"5DA#", "Missing Operator 'P0"},
    };
    for (const Case& c : cases) EXPECT_EQ(test::ReadMessage(c.equation), prefix + c.message) << c.equation;
}

TEST(ReadShowOnlyEquation, CutsLongMessagesTo499Characters) {
    const std::string message = test::ReadMessage("== " + std::string(1000, '1') + "#");
    EXPECT_EQ(message.size(), 499u);
    EXPECT_EQ(message.substr(0, 56), "Option ShowOnly Expression Error: Missing Parameter '== ");
}

TEST(ReadShowOnlyEquation, HasNoLimitBelowTheEquationLength) {
    // Expands far beyond 259 substituted characters and 1024 program words.
    std::string equation = "0";
    for (int i = 0; i < 400; ++i) equation += " OR SC";
    FilterState state;
    ASSERT_TRUE(test::ReadEquation(equation + "#", state).IsOk());
    EXPECT_EQ(state.FilterProgram.size(), 2u + 400u * 3u + 1u);
    test::TestFrame frame = test::TokenFrame();
    EXPECT_EQ(EvaluateFilter(state, test::Bind(frame)), 1);
}

TEST(ReadShowOnlyEquation, ASecondSectionReplacesTheFirst) {
    FilterState state;
    ASSERT_TRUE(test::ReadEquation("DA == 7 AND SA == 2 AND FC == RFDL#", state).IsOk());
    ASSERT_TRUE(test::ReadEquation("DA == 5#", state).IsOk());
    EXPECT_EQ(state.EquationText, "DA == 5");
    EXPECT_EQ(state.FilterProgram, (std::vector<std::int32_t>{28, 0, 36, 5, 15, 0}));
    test::TestFrame frame = test::Sd1Frame();
    EXPECT_EQ(EvaluateFilter(state, test::Bind(frame)), 1);
}

TEST(ReadShowOnlyEquation, KeepsTheCapturedTextAfterAFailure) {
    FilterState state;
    EXPECT_FALSE(test::ReadEquation("DA == Foo#", state).IsOk());
    EXPECT_EQ(state.EquationText, "DA == Foo");
}

}  // namespace
}  // namespace zelmot
