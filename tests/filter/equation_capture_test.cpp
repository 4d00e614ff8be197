// Capture of the equation text up to '#', and identifier substitution.
#include <gtest/gtest.h>

#include "filter/equation_text.h"
#include "filter_test_support.h"

namespace zelmot {
namespace {

std::string Captured(const std::string& text) {
    TextSource source;
    source.Text = text;
    std::string equation;
    EXPECT_TRUE(CaptureEquation(source, equation).IsOk()) << text;
    return equation;
}

TEST(EquationCapture, StoresUpToTheFirstHashOutsideComments) {
    struct Case { const char* text; const char* equation; };
    const Case cases[] = {
        {"#", ""},
        {"DA == 5\n AND\tFC == 1#", "DA == 5  AND FC == 1"},
        {"STS;comment\n==0#", "STS==0"},          // a comment leaves no blank
        {"DA;x\n5#", "DA5"},
        {"STS ; a # in a comment\n== 0#", "STS == 0"},
        {"A\r\nB#", "A B"},                     // CR LF arrives as LF
        {"A\rB#", "A\rB"},                      // a lone CR is kept
        {"  ; only a comment\n  #", "    "},
    };
    for (const Case& c : cases) EXPECT_EQ(Captured(c.text), c.equation) << c.text;
}

TEST(EquationCapture, LeavesTheSourceRightAfterTheHash) {
    TextSource source;
    source.Text = "STS == 0 # rest\nNoRef";
    std::string equation;
    ASSERT_TRUE(CaptureEquation(source, equation).IsOk());
    EXPECT_EQ(NextTextChar(source), ' ');
    EXPECT_EQ(NextTextChar(source), 'r');
}

TEST(EquationCapture, EndOfTextQuotesWhatWasCaptured) {
    const std::string prefix = "Invalid Option ShowOnly Equation: End Marker '#' not found '";
    EXPECT_EQ(test::ReadMessage("DA == 5\n"), prefix + "DA == 5 '");
    EXPECT_EQ(test::ReadMessage("DA == 5 ; comment # not the end"), prefix + "DA == 5 '");
    EXPECT_EQ(test::ReadMessage(""), prefix + "'");
    // A long quote is cut so that the message stays within 499 characters.
    const std::string cut = test::ReadMessage(std::string(1000, ' '));
    EXPECT_EQ(cut.size(), 499u);
    EXPECT_EQ(cut.substr(0, prefix.size()), prefix);
}

TEST(EquationCapture, AcceptsAtMost4095Characters) {
    FilterState state;
    EXPECT_TRUE(test::ReadEquation("1" + std::string(4094, ' ') + "#", state).IsOk());
    EXPECT_EQ(state.EquationText.size(), 4095u);
    // Comments do not count; only stored characters do.
    EXPECT_TRUE(test::ReadEquation("1" + std::string(4094, '\t') + ";" + std::string(100, 'c') + "\n#", state).IsOk());
    EXPECT_EQ(test::ReadMessage("1" + std::string(4095, ' ') + "#"),
              "Invalid Option ShowOnly Equation: Equation Too Long");
}

std::string Substituted(const std::string& equation) {
    std::string out;
    const Outcome result = SubstituteIdentifiers(equation, out);
    return result.IsOk() ? out : result.Text;
}

TEST(IdentifierSubstitution, ReplacesEveryNameOfTheTable) {
    EXPECT_EQ(Substituted("STSOK STSSTP STSPAR STSSD STSRPT STSUND STSOVR STSCHK STSED"),
              "0 1 2 4 8 16 32 64 128");
    EXPECT_EQ(Substituted("SD1 SD2 SD3 SD4 SC ED SAPEXT TYPMSK"), "16 104 162 220 229 22 128 207");
    EXPECT_EQ(Substituted("MTM1 MTM2 MSRD MSDN SDAL SDNL SDAH SDNH RDD GSRD RFDL MDLY MKEP SRDL SRDH RIR RLSR"),
              "64 192 65 66 67 68 69 70 71 72 73 74 75 76 77 78 79");
    EXPECT_EQ(Substituted("OK UE RR RS DL NR DH RD RDH"), "0 1 2 3 8 9 10 12 13");
    EXPECT_EQ(Substituted("STS LEN SD DA SA FC DSAP SSAP GapTme GapAft"), "M0 N0 O0 P0 P1 Q0 R0 S0 T0 U0");
    EXPECT_EQ(Substituted("DataByte[12] DataWord[0x1F] CmdArg[2]"), "V12 W0x1F X2");
}

TEST(IdentifierSubstitution, FollowsTheSpellingRules) {
    struct Case { const char* equation; const char* substituted; };
    const Case cases[] = {
        {"DA == 5 AND FC == SRDL", "P0 == 5 AND Q0 == 76"},
        {"(STS & STSCHK) <> 0", "(M0 & 64) <> 0"},
        {"DataWord[0x10] > 1000 or CmdArg[2] == SA", "W0x10 > 1000 or X2 == P1"},
        {"Len len LEN sdal", "N0 N0 N0 67"},
        {"STS Or ANd 1", "M0 Or ANd 1"},
        {"DataByte[0X1f] 0X1F", "V0x1f 0x1F"},
        {"DataByte[] 5", "V 5"},
        {"5DA", "5P0"},
        {"0x12SA", "0x12P1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Substituted(c.equation), c.substituted) << c.equation;
}

TEST(IdentifierSubstitution, ReportsBadNamesAndIndexes) {
    const std::string prefix = "Invalid Option ShowOnly Equation: ";
    struct Case { const char* equation; const char* message; };
    const Case cases[] = {
        {"GapTmeAft", "Undefined Identifier 'GapTmeAft'"},
        {"RDL == 1", "Undefined Identifier 'RDL'"},
        {"1 + _x_9", "Undefined Identifier '_x_9'"},
        {"DataByte [3]", "'[' Expected 'V'"},
        {"CmdArg", "'[' Expected 'X'"},  // the name is the last character
        {"DataByte[ 3]", "']' Expected 'V'"},
        {"DataByte[3 ]", "']' Expected 'V3'"},
        {"DataWord[0x1g]", "']' Expected 'W0x1'"},
        {"DataWord[12", "']' Expected 'W12'"},
    };
    for (const Case& c : cases) EXPECT_EQ(Substituted(c.equation), prefix + c.message) << c.equation;
}

}  // namespace
}  // namespace zelmot
