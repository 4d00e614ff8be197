// Tokenizer and compiler: programs, precedence, signs and every error with
// its position.
#include <gtest/gtest.h>

#include <climits>

#include "filter/filter_compiler.h"
#include "filter_test_support.h"

namespace zelmot {
namespace {

using Words = std::vector<std::int32_t>;

Words Program(const std::string& text) {
    Words program;
    const CompileResult result = CompileFilter(text, program);
    EXPECT_EQ(result.ErrorCode, 0) << text << " at " << result.ErrorPosition;
    return program;
}

std::string Listing(const std::string& text) { return test::Disassemble(Program(text)); }

TEST(FilterCompiler, CompilesPostfixPrograms) {
    struct Case { const char* text; const char* listing; };
    const Case cases[] = {
        {"P0 == 5 AND Q0 == 76", "ADDRESS 0 LITERAL 5 EQUAL FC LITERAL 76 EQUAL AND END"},
        {"(M0 & 64) <> 0", "STS LITERAL 64 BITAND LITERAL 0 NOTEQUAL END"},
        {"-5 - -W0x10", "LITERAL -5 DataWord 16 NEGATE SUB END"},
        {"1 + 2 * 3", "LITERAL 1 LITERAL 2 LITERAL 3 MULT ADD END"},
        {"", "END"},
        {"    ", "END"},
        {"M0+N0+O0+P1+Q0+R0+S0+T0+U0+V3+W0x10+X2",
         "STS LEN ADD SD ADD ADDRESS 1 ADD FC ADD DSAP ADD SSAP ADD GapTme ADD GapAft ADD DataByte 3 ADD DataWord 16 ADD CmdArg 2 ADD END"},
        {"M0 != 1 <= 2 >= 3 < 4 > 5", "STS LITERAL 1 LITERAL 2 LESSEQUAL LITERAL 3 GREATEREQUAL LITERAL 4 LESS LITERAL 5 GREATER NOTEQUAL END"},
        {"M0 = 5", "STS LITERAL 5 EQUAL END"},
        {"0xffff + 0x1234", "LITERAL 65535 LITERAL 4660 ADD END"},
        {"2147483648", "LITERAL 2147483647 END"},
        {"-99999999999999999999999999999999999999999", "LITERAL -2147483648 END"},
        {"V-1 + N 7", "DataByte -1 LEN ADD END"},  // a code letter's number may be signed or blank-led
    };
    for (const Case& c : cases) EXPECT_EQ(Listing(c.text), c.listing) << c.text;
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
    EXPECT_EQ(Listing("5 -3"), "LITERAL 5 LITERAL 3 SUB END");
    EXPECT_EQ(Listing("5 * -3"), "LITERAL 5 LITERAL -3 MULT END");
    EXPECT_EQ(Listing("--5"), "LITERAL -5 NEGATE END");
    EXPECT_EQ(Listing("- 5"), "LITERAL 5 NEGATE END");
    EXPECT_EQ(Listing("(-5)"), "LITERAL -5 END");
    EXPECT_EQ(Listing("(-M0)"), "STS NEGATE END");
    EXPECT_EQ(Listing("!-~M0"), "STS COMPL NEGATE NOT END");
}

TEST(FilterCompiler, NestsWithoutLimit) {
    const std::string deep = std::string(3000, '(') + "-M0" + std::string(3000, ')');
    EXPECT_EQ(Listing(deep), "STS NEGATE END");
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
