// ParseOptionLine: which keyword a line selects (order, compare lengths,
// case), the lines it rejects, and the value options' arguments and messages.
#include <gtest/gtest.h>

#include "option_test_util.h"
#include "support/case_names.h"

namespace zelmot {
namespace {

using test::Describe;
using test::ParseLine;

struct LineCase {
    const char* line;
    const char* expected;  // Describe() of the options after the line
};

std::string CaseText(const LineCase& c) { return c.line; }
void PrintTo(const LineCase& c, std::ostream* os) { test::PrintCaseText(c.line, os); }

class AcceptedLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(AcceptedLine, SetsExactlyItsField) {
    DisplayOptions options;
    Outcome result = ParseLine(GetParam().line, options);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(Describe(options), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, AcceptedLine,
    ::testing::Values(
        LineCase{"NoRef", "NoRef"}, LineCase{"noref", "NoRef"}, LineCase{"NOREF  ; remark", "NoRef"},
        LineCase{"NoRefX", "NoRef"}, LineCase{"ShowFil", "ShowFileOfs"}, LineCase{"showfileofs", "ShowFileOfs"},
        LineCase{"ShowFilXYZ", "ShowFileOfs"}, LineCase{"NoDelim", "NoDelim"}, LineCase{"nodstsap", "NoDstSap"},
        LineCase{"NoDstSa", "NoDst"}, LineCase{"NoDst", "NoDst"}, LineCase{"NoDstX", "NoDst"},
        LineCase{"NoSrcSap", "NoSrcSap"}, LineCase{"NoSrcSa", "NoSrc"}, LineCase{"NOSRC", "NoSrc"},
        LineCase{"NoFc", "NoFc"}, LineCase{"NoData", "NoData"}, LineCase{"DataSgn", "DataSgn"},
        LineCase{"DataUns", "DataUns"}, LineCase{"Data16", "Data16"}, LineCase{"NoBad", "NoBad"},
        LineCase{"DetailSts", "DetailSts"}, LineCase{"ShowFcbTyp", "ShowFcbTyp"}, LineCase{"ShowFcs", "ShowFcs"},
        LineCase{"Descrip=", ""}, LineCase{"DESCRIP= NoRef whatever ;x", ""}, LineCase{"ArgName0 Node", ""},
        LineCase{"argname", ""}, LineCase{"TmeAbs hr", "TmeAbs=hr"}, LineCase{"tmeabs hr", "TmeAbs=hr"},
        LineCase{"TmeGapAft us", "TmeGapAft=us"}, LineCase{"TmeGap us", "TmeGap=us"},
        // Seven characters of TmeGapAft select TmeGap, whose argument
        // begins after six.
        LineCase{"TmeGapAf us", "TmeGap=Af"}, LineCase{"TmeDelta ms", "TmeDelta=ms"},
        LineCase{"GrphGapAft 5 1us", "GrphGapAft=5/1000"}, LineCase{"GrphGap 5 1us", "GrphGap=5/1000"},
        LineCase{"GRPHDELTA 100 1ns", "GrphDelta=100/1"}),
    test::CaseNamer());

struct RejectCase {
    const char* line;
    const char* message;
};

std::string CaseText(const RejectCase& c) { return c.line; }
void PrintTo(const RejectCase& c, std::ostream* os) { test::PrintCaseText(c.line, os); }

class RejectedLine : public ::testing::TestWithParam<RejectCase> {};

TEST_P(RejectedLine, GivesItsMessage) {
    DisplayOptions options;
    Outcome result = ParseLine(GetParam().line, options);
    ASSERT_TRUE(result.IsError());
    EXPECT_EQ(result.Text, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, RejectedLine,
    ::testing::Values(RejectCase{"ShowFi", "Invalid Option Argument 'ShowFi'"},
                      RejectCase{"NoRe", "Invalid Option Argument 'NoRe'"},
                      RejectCase{"NoF", "Invalid Option Argument 'NoF'"},
                      RejectCase{"Descrip text", "Invalid Option Argument 'Descrip text'"},
                      RejectCase{"Bogus ;remark", "Invalid Option Argument 'Bogus ;remark'"},
                      RejectCase{"Tme", "Invalid Option Argument 'Tme'"},
                      RejectCase{"", "Invalid Option Argument ''"},
                      // Seven characters of GrphGapAft select GrphGap.
                      RejectCase{"GrphGapAf 5 1us", "Invalid Dec Numeric String 'Af 5 1us'"}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    TimeFormats, AcceptedLine,
    ::testing::Values(LineCase{"TmeAbs hr:mn:sc.ms,us,ns", "TmeAbs=hr:mn:sc.ms,us,ns"},
                      LineCase{"TmeAbs      hr:mn:sc.ms,us,ns", "TmeAbs=hr:mn:sc.ms,us,ns"},
                      LineCase{"TmeAbs\thr:mn:sc.ms,us,ns;remark", "TmeAbs=hr:mn:sc.ms,us,ns"},
                      LineCase{"TmeAbs hr:mn:sc.ms,us,ns ;remark", "TmeAbs=hr:mn:sc.ms,us,ns"},
                      LineCase{"TmeAbs sc.ms rest of line", "TmeAbs=sc.ms"}, LineCase{"TmeAbs", ""},
                      LineCase{"TmeAbs   ", ""}, LineCase{"TmeAbs ;remark", ""},
                      LineCase{"TmeAbs=sc.ms", "TmeAbs==sc.ms"},
                      LineCase{"TmeDelta 1234567890123456789", "TmeDelta=1234567890123456789"}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    TimeFormats, RejectedLine,
    ::testing::Values(RejectCase{"TmeAbs 12345678901234567890", "Time Format String Too Long '12345678901234567890'"},
                      RejectCase{"TmeGap 12345678901234567890123;x",
                                 "Time Format String Too Long '12345678901234567890123'"}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Graphs, AcceptedLine,
    ::testing::Values(LineCase{"GrphGap 50 100us", "GrphGap=50/100000"},
                      LineCase{"GrphGap 0x32 100us", "GrphGap=50/100000"},
                      LineCase{"GrphGap '2 100us", "GrphGap=50/100000"},
                      LineCase{"GrphGap '2' 100us", "GrphGap=50/100000"},
                      LineCase{"GrphGap   50   100us  ; remark", "GrphGap=50/100000"},
                      LineCase{"GrphGap 50 100us trailing words", "GrphGap=50/100000"},
                      // A ';' inside the width's word does not end the scan.
                      LineCase{"GrphGap 50;x 2ms", "GrphGap=50/2000000"},
                      LineCase{"GrphGapAft 100 1HR", "GrphGapAft=100/3600000000000"},
                      LineCase{"GrphDelta 5 -5us", "GrphDelta=5/-5000"},
                      LineCase{"GrphDelta 5 0ns", "GrphDelta=5/0"}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Graphs, RejectedLine,
    ::testing::Values(RejectCase{"GrphGap 4 100us", "Invalid GrphGap Width value '4' (5-100)"},
                      RejectCase{"GrphGap 101 100us", "Invalid GrphGap Width value '101' (5-100)"},
                      RejectCase{"GrphGap -50 100us", "Invalid GrphGap Width value '-50' (5-100)"},
                      RejectCase{"GrphGapAft 0 1us", "Invalid GrphGapAft Width value '0' (5-100)"},
                      RejectCase{"GrphDelta 0xFFFFFFFF 1us", "Invalid GrphDelta Width value '-1' (5-100)"},
                      RejectCase{"GrphGap 0x100000000 1us", "Invalid GrphGap Width value '-1' (5-100)"},
                      RejectCase{"GrphGap 99999999999 1us", "Invalid GrphGap Width value '2147483647' (5-100)"},
                      RejectCase{"GrphGap=50 100us", "Invalid Dec Numeric String '=50 100us'"},
                      RejectCase{"GrphGap", "Invalid Dec Numeric String ''"},
                      RejectCase{"GrphGap ;50 100us", "Invalid Dec Numeric String ''"},
                      RejectCase{"GrphGap 0xZZ 1us", "Invalid Hex Numeric String '0xZZ 1us'"},
                      RejectCase{"GrphGap 50", "Time Numeric String too short ''"},
                      RejectCase{"GrphGap 50;remark", "Time Numeric String too short ''"},
                      RejectCase{"GrphGap 50 ;remark", "Time Numeric String too short ''"},
                      RejectCase{"GrphGap 50 5", "Time Numeric String too short '5'"},
                      RejectCase{"GrphGap 50 100", "Time Numeric String Unit Expected '00' ("},
                      RejectCase{"GrphGap 50 100xs;x", "Time Numeric String Unit Expected 'xs' ("},
                      RejectCase{"GrphGap 50 0xus", "Invalid Hex Numeric String '0x'"},
                      RejectCase{"GrphGap 50 abcus rest", "Invalid Dec Numeric String 'abc'"}),
    test::CaseNamer());

TEST(ParseOptionLine, FailedFullScaleKeepsTheWidth) {
    DisplayOptions options;
    EXPECT_TRUE(ParseLine("GrphGap 50 100", options).IsError());
    EXPECT_EQ(options.GrphGap.Width, 50);
    EXPECT_EQ(options.GrphGap.FullScale, 0);
}

TEST(ParseOptionLine, LaterValueReplacesEarlierOne) {
    DisplayOptions options;
    ASSERT_TRUE(ParseLine("TmeAbs hr:mn:sc.ms,us,ns", options).IsOk());
    ASSERT_TRUE(ParseLine("TmeAbs ms", options).IsOk());
    ASSERT_TRUE(ParseLine("GrphGap 50 100us", options).IsOk());
    ASSERT_TRUE(ParseLine("GrphGap 20 1ms", options).IsOk());
    EXPECT_EQ(Describe(options), "TmeAbs=ms GrphGap=20/1000000");
    ASSERT_TRUE(ParseLine("TmeAbs", options).IsOk());
    EXPECT_EQ(Describe(options), "GrphGap=20/1000000");
}

}  // namespace
}  // namespace zelmot
