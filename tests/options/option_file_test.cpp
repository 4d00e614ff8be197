// Reading option files: line pieces, stripping, comments, the stop at the
// first error, the ShowOnly hand-over, and opening real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "option_test_util.h"
#include "support/case_names.h"

namespace zelmot {
namespace {

using test::Describe;

struct Read {
    Outcome result;
    DisplayOptions options;
    FilterState filter;
};

Read ReadText(const std::string& text) {
    Read read;
    TextSource source;
    source.Text = text;
    read.result = ReadOptionLines(source, read.options, read.filter);
    return read;
}

struct FileCase {
    std::string text;
    std::string expected;  // Describe() after a successful read
};

std::string CaseText(const FileCase& c) { return c.text; }
void PrintTo(const FileCase& c, std::ostream* os) { test::PrintCaseText(c.text, os); }

class ReadsToOptions : public ::testing::TestWithParam<FileCase> {};

TEST_P(ReadsToOptions, Succeeds) {
    Read read = ReadText(GetParam().text);
    ASSERT_TRUE(read.result.IsOk()) << read.result.Text;
    EXPECT_EQ(Describe(read.options), GetParam().expected);
}

const std::string kLongComment = ";" + std::string(198, 'x');  // exactly one piece

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadsToOptions,
    ::testing::Values(
        FileCase{"", ""}, FileCase{"; comment\n   ; indented\n\n \t \n\t;tab\n", ""},
        FileCase{"  \v\f NoRef   ;remark\n", "NoRef"}, FileCase{"NoRef", "NoRef"},
        FileCase{"NoRef\nNoRef\n", "NoRef"}, FileCase{"NoRef\r\nTmeAbs sc.ms\r\n", "NoRef TmeAbs=sc.ms"},
        FileCase{"TmeAbs hr:mn\nNoFc\nTmeAbs\n", "NoFc"}, FileCase{"NoRef\nNoBad\n", "NoRef NoBad"},
        // A NUL byte ends the text of its line; the line itself goes on to
        // its line feed.
        FileCase{std::string("NoRef\0garbage\nNoFc\n", 19), "NoRef NoFc"},
        FileCase{std::string("\0NoRef\nNoFc\n", 12), "NoFc"},
        // A comment of 250 characters: 199 dropped, the other 51 read as a
        // line of their own.
        FileCase{kLongComment + "NoRef" + std::string(45, ' ') + "\n", "NoRef"},
        FileCase{kLongComment + "\nNoData\n", "NoData"},
        FileCase{std::string(199, ' ') + "NoFc\n", "NoFc"},
        FileCase{"Descrip=My file\nArgName0 Station\nGrphGap 50 100us\n", "GrphGap=50/100000"}),
    test::CaseNamer());

TEST(ReadOptionLines, LongLinePiecesAreLinesOfTheirOwn) {
    // The second piece of the 250 characters is exactly 50 characters and
    // the line feed; the message shows those 50.
    const std::string rest = "Bogus" + std::string(45, 'y');
    Read read = ReadText(kLongComment + rest + "\nNoRef\n");
    ASSERT_TRUE(read.result.IsError());
    EXPECT_EQ(read.result.Text, "Invalid Option Argument '" + rest + "'");
    // An option line too long for one piece is cut after 199 characters.
    read = ReadText("TmeAbs" + std::string(193, ' ') + "hr\n");
    ASSERT_TRUE(read.result.IsError());
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'hr'");
}

TEST(ReadOptionLines, OnlyALeadingSemicolonMakesAComment) {
    Read read = ReadText(";NoRef\nx;NoFc\n");
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'x;NoFc'");
    read = ReadText(kLongComment + "x\nNoData\n");
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'x'");
}

TEST(ReadOptionLines, FirstErrorStopsTheReading) {
    Read read = ReadText("NoFc\nBogus   \nNoRef\n");
    ASSERT_TRUE(read.result.IsError());
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'Bogus   '");  // trailing blanks stay
    EXPECT_EQ(Describe(read.options), "NoFc");
}

TEST(ReadOptionLines, CarriageReturnBeforeLineFeedIsNotText) {
    Read read = ReadText("\r\nBogus\r\n");
    ASSERT_TRUE(read.result.IsError());
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'Bogus'");
    read = ReadText("TmeAbs 12345678901234567890\r\n");
    EXPECT_EQ(read.result.Text, "Time Format String Too Long '12345678901234567890'");
}

TEST(ReadOptionLines, ValueErrorsComeBackUnchanged) {
    Read read = ReadText("GrphGapAft 101 1us\n");
    EXPECT_EQ(read.result.Text, "Invalid GrphGapAft Width value '101' (5-100)");
    read = ReadText("  GrphDelta 50 7\n");
    EXPECT_EQ(read.result.Text, "Time Numeric String too short '7'");
}

TEST(ReadOptionLines, ShowOnlyHandsOverAndReadingGoesOnAfterTheMarker) {
    Read read = ReadText("NoData\nshowonly anything here\nDA == 5\n#NoFc\nNoRef\n");
    ASSERT_TRUE(read.result.IsOk()) << read.result.Text;
    EXPECT_EQ(Describe(read.options), "NoRef NoFc NoData ShowOnlyActive");
    EXPECT_NE(read.filter.EquationText.find("DA == 5"), std::string::npos);
    EXPECT_EQ(read.filter.EquationText.find("anything"), std::string::npos);
}

TEST(ReadOptionLines, RestOfALongShowOnlyLineIsIgnored) {
    Read read = ReadText("ShowOnly" + std::string(250, 'q') + "\nDA == 5 #\nNoRef\n");
    ASSERT_TRUE(read.result.IsOk()) << read.result.Text;
    EXPECT_EQ(Describe(read.options), "NoRef ShowOnlyActive");
    EXPECT_EQ(read.filter.EquationText.find('q'), std::string::npos);
}

TEST(ReadOptionLines, TextAfterTheMarkerIsCheckedAsAnOptionLine) {
    Read read = ReadText("ShowOnly\nDA == 5 # Bogus\nNoRef\n");
    ASSERT_TRUE(read.result.IsError());
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'Bogus'");
    EXPECT_TRUE(read.options.ShowOnlyActive);
    EXPECT_FALSE(read.options.NoRef);
}

TEST(ReadOptionLines, EquationWithoutMarkerFails) {
    Read read = ReadText("ShowOnly\nDA == 5\n");
    EXPECT_TRUE(read.result.IsError());
    EXPECT_TRUE(read.options.ShowOnlyActive);
}

TEST(ReadOptionLines, ShowOnlyNeedsAllEightCharacters) {
    Read read = ReadText("ShowOnl\n");
    EXPECT_EQ(read.result.Text, "Invalid Option Argument 'ShowOnl'");
}

// Option files on disk, in a folder of their own per test.
class OptionFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::path(::testing::TempDir()) / ("zelmot_options_" + std::string(info->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path folder_;
};

DisplayOptions Dirty() {
    DisplayOptions options;
    options.NoData = true;
    options.ShowOnlyActive = true;
    options.TmeGap.Text[0] = 'x';
    options.GrphDelta.Width = 7;
    return options;
}

TEST_F(OptionFileOnDisk, EmptyPathResetsAndSucceeds) {
    DisplayOptions options = Dirty();
    FilterState filter;
    EXPECT_TRUE(ReadOptionFile("", options, filter).IsOk());
    EXPECT_EQ(Describe(options), "");
}

TEST_F(OptionFileOnDisk, ReadsAfterTheReset) {
    const std::string path = Write("a.opt", "; options\r\nNoRef\r\nGrphGap 10 100us\r\nShowOnly\r\nSA == 2\r\n#\r\n");
    DisplayOptions options = Dirty();
    FilterState filter;
    Outcome result = ReadOptionFile(path, options, filter);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(Describe(options), "NoRef ShowOnlyActive GrphGap=10/100000");
    EXPECT_EQ(filter.EquationText.find('\r'), std::string::npos);
}

TEST_F(OptionFileOnDisk, FirstCharacterIsNotLost) {
    const std::string path = Write("b.opt", "\rNoRef");
    DisplayOptions options;
    FilterState filter;
    Outcome result = ReadOptionFile(path, options, filter);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(Describe(options), "NoRef");
    EXPECT_EQ(ReadOptionFile(Write("c.opt", "X"), options, filter).Text, "Invalid Option Argument 'X'");
    EXPECT_TRUE(ReadOptionFile(Write("d.opt", ""), options, filter).IsOk());
}

TEST_F(OptionFileOnDisk, ErrorInsideTheFile) {
    const std::string path = Write("e.opt", "NoRef\nTmeAbs 12345678901234567890\nNoFc\n");
    DisplayOptions options;
    FilterState filter;
    EXPECT_EQ(ReadOptionFile(path, options, filter).Text, "Time Format String Too Long '12345678901234567890'");
}

TEST_F(OptionFileOnDisk, MissingFileAndDirectoryAreRefused) {
    DisplayOptions options = Dirty();
    FilterState filter;
    const std::string missing = (folder_ / "none.opt").string();
    EXPECT_EQ(ReadOptionFile(missing, options, filter).Text, "Unable to Open Option File " + missing);
    EXPECT_EQ(Describe(options), "");
    const std::string folder = folder_.string();
    EXPECT_EQ(ReadOptionFile(folder, options, filter).Text, "Unable to Open Option File " + folder);
}

}  // namespace
}  // namespace zelmot
