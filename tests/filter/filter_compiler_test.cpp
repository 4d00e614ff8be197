// Tokenizer and compiler: programs, precedence, signs and every error with
// its position.
#include <gtest/gtest.h>

#include <climits>

#include "filter/filter_compiler.h"

namespace zelmot {
namespace {

using Words = std::vector<std::int32_t>;

Words Program(const std::string& text) {
    Words program;
    const CompileResult result = CompileFilter(text, program);
    EXPECT_EQ(result.ErrorCode, 0) << text << " at " << result.ErrorPosition;
    return program;
}

TEST(FilterCompiler, CompilesPostfixPrograms) {
    struct Case { const char* text; Words program; };
    const Case cases[] = {
        {"P0 == 5 AND Q0 == 76", {28, 0, 36, 5, 15, 29, 36, 76, 15, 20, 0}},
        {"(M0 & 64) <> 0", {25, 36, 64, 17, 36, 0, 16, 0}},
        {"-5 - -W0x10", {36, -5, 35, 16, 4, 10, 0}},
        {"1 + 2 * 3", {36, 1, 36, 2, 36, 3, 6, 9, 0}},
        {"", {0}},
        {"    ", {0}},
        {"M0+N0+O0+P1+Q0+R0+S0+T0+U0+V3+W0x10+X2",
         {25, 26, 9, 27, 9, 28, 1, 9, 29, 9, 30, 9, 31, 9, 32, 9, 33, 9, 34, 3, 9, 35, 16, 9, 37, 2, 9, 0}},
        {"M0 != 1 <= 2 >= 3 < 4 > 5", {25, 36, 1, 36, 2, 13, 36, 3, 14, 36, 4, 11, 36, 5, 12, 16, 0}},
        {"M0 = 5", {25, 36, 5, 15, 0}},
        {"0xffff + 0x1234", {36, 65535, 36, 4660, 9, 0}},
        {"2147483648", {36, INT_MAX, 0}},
        {"-99999999999999999999999999999999999999999", {36, INT_MIN, 0}},
        {"V-1 + N 7", {34, -1, 26, 9, 0}},  // a code letter's number may be signed or blank-led
    };
    for (const Case& c : cases) EXPECT_EQ(Program(c.text), c.program) << c.text;
}

TEST(FilterCompiler, BindsOperatorsByPrecedenceAndFromTheLeft) {
    struct Case { const char* text; const char* same_as; };
    const Case cases[] = {
        {"M0 & N0 | O0", "M0 & (N0 | O0)"},   // '&' is looser than '|'
        {"M0 ^ N0 | O0", "M0 ^ (N0 | O0)"},
        {"M0 & N0 ^ O0", "M0 & (N0 ^ O0)"},
        {"M0 | N0 & O0", "(M0 | N0) & O0"},
        {"M0 & 0x40 == 0x40", "M0 & (0x40 == 0x40)"},
        {"M0 OR N0 AND O0", "M0 OR (N0 AND O0)"},
        {"M0 AND N0 & O0", "M0 AND (N0 & O0)"},
        {"1 < 2 == 3 < 4", "(1 < 2) == (3 < 4)"},
        {"1 + 2 < 3 * 4", "(1 + 2) < (3 * 4)"},
        {"1 - 2 - 3", "(1 - 2) - 3"},
        {"8 / 4 % 3 * 2", "((8 / 4) % 3) * 2"},
        {"-M0 * N0", "(-M0) * N0"},
        {"!M0 == 0", "(!M0) == 0"},
        {"~M0 + 1", "(~M0) + 1"},
        {"M0 and 5", "M0 AND 5"},
        {"M0 && 5", "M0 AND 5"},
        {"M0 || 5", "M0 or 5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Program(c.text), Program(c.same_as)) << c.text;
}

TEST(FilterCompiler, ReadsMinusAsSignUnaryOrSubtraction) {
    EXPECT_EQ(Program("5 -3"), (Words{36, 5, 36, 3, 10, 0}));
    EXPECT_EQ(Program("5 * -3"), (Words{36, 5, 36, -3, 6, 0}));
    EXPECT_EQ(Program("--5"), (Words{36, -5, 4, 0}));
    EXPECT_EQ(Program("- 5"), (Words{36, 5, 4, 0}));
    EXPECT_EQ(Program("(-5)"), (Words{36, -5, 0}));
    EXPECT_EQ(Program("(-M0)"), (Words{25, 4, 0}));
    EXPECT_EQ(Program("!-~M0"), (Words{25, 5, 4, 3, 0}));
}

TEST(FilterCompiler, NestsWithoutLimit) {
    const std::string deep = std::string(3000, '(') + "-M0" + std::string(3000, ')');
    EXPECT_EQ(Program(deep), (Words{25, 4, 0}));
    std::string longSum = "1";
    for (int i = 0; i < 1500; ++i) longSum += " + 1";
    EXPECT_EQ(Program(longSum).size(), 2u + 1500u * 3u + 1u);
}

TEST(FilterCompiler, ReportsEachErrorAtItsPosition) {
    struct Case { const char* text; int code; int position; };
    const Case cases[] = {
        {"M0 == == 2", 301, 5},  {"== 5", 301, -1},       {" == 5", 301, 0},
        {"1 +", 301, 2},         {"(", 301, 0},           {"()", 301, 0},
        {"1 + )", 301, 3},       {"1 AND", 301, 2},       {"-", 301, 0},
        {"(1", 300, 1},          {"(1 !2)", 300, 3},      {"((1)", 300, 3},
        {"1 2", 302, 1},         {"0x10 0x20", 302, 4},   {"(1)(2)", 302, 2},
        {"(1)!2", 302, 2},       {"(1) ~2", 302, 3},      {"1 (", 302, 1},
        {"1 M0", 302, 2},        {"1 + a", 304, 4},       {"-0x10", 304, 2},
        {"M0 [1]", 304, 3},      {"1 & ]", 304, 4},       {"0x12345", 305, 6},
        {"0xG", 305, 2},         {"0x", 305, 1},          {"0x1G", 305, 3},
        {"M", 305, 1},           {"V == 1", 305, 1},      {"Mx", 305, 1},
        {"1)", 306, 1},          {"1 !2", 306, 2},        {"1 ~2", 306, 2},
        {"(1))", 306, 3},
    };
    for (const Case& c : cases) {
        Words program;
        const CompileResult result = CompileFilter(c.text, program);
        EXPECT_EQ(result.ErrorCode, c.code) << c.text;
        EXPECT_EQ(result.ErrorPosition, c.position) << c.text;
        EXPECT_EQ(program.back(), 0) << c.text;
    }
}

TEST(FilterTokenizer, DeliversTokensWithTheirNumbers) {
    CompilerState state;
    NextToken(state, "(-5)-W0x10 Or 1");
    std::vector<std::pair<Opcode, std::int32_t>> tokens;
    while (state.CurrentToken != Opcode::END_OF_TEXT && state.CurrentToken != Opcode::ERROR_TOKEN) {
        tokens.emplace_back(state.CurrentToken, IsOperand(state.CurrentToken) ? state.NumberValue : 0);
        NextToken(state);
    }
    const std::vector<std::pair<Opcode, std::int32_t>> expected{
        {Opcode::LPAREN, 0}, {Opcode::LITERAL, -5}, {Opcode::RPAREN, 0}, {Opcode::SUB, 0},
        {Opcode::DataWord, 16}, {Opcode::OR, 0}, {Opcode::LITERAL, 1},
    };
    EXPECT_EQ(tokens, expected);
    EXPECT_EQ(state.CurrentToken, Opcode::END_OF_TEXT);
}

TEST(CheckDecimalText, StripsBlanksAndSaturates) {
    struct Case { const char* text; bool valid; const char* stripped; std::int32_t value; };
    const Case cases[] = {
        {"  12 ", true, "12", 12},
        {"+7", true, "+7", 7},
        {"-", true, "-", 0},
        {"--5", true, "--5", 0},
        {"", false, "", 0},
        {"   ", false, "", 0},
        {"1a", false, "1a", 0},
        {"1 2", false, "1 2", 0},
        {"2147483647", true, "2147483647", INT_MAX},
        {"2147483648", true, "2147483648", INT_MAX},
        {"-2147483648", true, "-2147483648", INT_MIN},
        {"-2147483649", true, "-2147483649", INT_MIN},
        {"000000000000000000000000000000000000000042", true, "000000000000000000000000000000000000000042", 42},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        std::int32_t value = -99;
        EXPECT_EQ(CheckDecimalText(text, value), c.valid) << c.text;
        EXPECT_EQ(text, c.stripped) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
}  // namespace zelmot
