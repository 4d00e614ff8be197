// Whole lines of the status and FDL columns, one frame at a time: the worked
// examples, every complaint, and the flags that change what is written.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "output/frame_columns.h"

namespace zelmot {
namespace {

// Runs WriteFrameColumns over frame followed by status. The bytes are copied
// into a buffer of exactly count + 1 so the sanitizer catches any read beyond.
std::string Columns(const DisplayOptions& options, std::vector<std::uint8_t> frame,
                    std::uint8_t status = 0) {
    auto count = static_cast<std::uint8_t>(frame.size());
    frame.push_back(status);
    std::vector<std::uint8_t> exact(frame.begin(), frame.end());
    exact.shrink_to_fit();
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    WriteFrameColumns(out, options, exact.data(), count);
    FlushTextOut(out);
    return text;
}

std::string Columns(std::vector<std::uint8_t> frame, std::uint8_t status = 0) {
    return Columns(DisplayOptions{}, std::move(frame), status);
}

DisplayOptions With(bool DisplayOptions::*flag, bool DisplayOptions::*second = nullptr) {
    DisplayOptions options;
    options.*flag = true;
    if (second != nullptr) options.*second = true;
    return options;
}

const std::vector<std::uint8_t> kSd1 = {0x10, 0x05, 0x02, 0x49, 0x50, 0x16};
const std::vector<std::uint8_t> kSd1BadEd = {0x10, 0x05, 0x02, 0x49, 0x50, 0x17};
const std::vector<std::uint8_t> kSd2 = {0x68, 0x07, 0x07, 0x68, 0x85, 0x82, 0x7d,
                                        0x3e, 0x3d, 0x01, 0x02, 0x02, 0x16};
const std::vector<std::uint8_t> kSd2Response = {0x68, 0x05, 0x05, 0x68, 0x82, 0x85,
                                                0x08, 0x3d, 0x3e, 0xff, 0x16};

struct WorkedLine {
    std::vector<std::uint8_t> frame;
    std::uint8_t status;
    DisplayOptions options;
    const char* expected;
};

TEST(FrameColumns, WorkedLines) {
    const WorkedLine lines[] = {
        {kSd1, 0, {}, " SD1   5<2   RFDL       ED "},
        {kSd1, 0, With(&DisplayOptions::ShowFcbTyp, &DisplayOptions::ShowFcs),
         " SD1   5<2   0  RFDL       [50] ED "},
        {kSd2, 0, {}, " SD2   5<2   SRDH 62{61 01 02 ED "},
        {kSd2, 0, With(&DisplayOptions::ShowFcbTyp, &DisplayOptions::ShowFcs),
         " SD2   5<2   1v SRDH 62{61 01 02 [02] ED "},
        {kSd2, 0, With(&DisplayOptions::Data16), " SD2   5<2   SRDH 62{61 0102 ED "},
        {kSd2, 0, With(&DisplayOptions::Data16, &DisplayOptions::DataSgn),
         " SD2   5<2   SRDH 62{61    258 ED "},
        {kSd2Response, 0, With(&DisplayOptions::ShowFcbTyp), " SD2   2<5   ss DL   61{62 ED "},
        {{0xdc, 0x02, 0x05}, 0, {}, " SD4   2<5   "},
        {{0xe5}, 0, {}, " SC          SHAK "},
        {{0x68, 0x05, 0x06, 0x68, 0x05, 0x02, 0x7d, 0x01, 0x02, 0x86, 0x16}, 0x08, {},
         "*SD2 SD2 LEr? 68 05 06 68 05 02 7d 01 02 86 16 "},
        {{0x33, 0x01}, 0x04, {}, "*SD?33 33 01 "},
        {{}, 0x10, {}, "*FrmLen?(0)SD1 Len(0)? "},
        {kSd1BadEd, 0x80, With(&DisplayOptions::DetailSts), ".......eSD1   5<2   RFDL       ED?(17) "},
        {kSd1BadEd, 0x80, With(&DisplayOptions::NoDelim), "*  5<2   RFDL       ED?(17) "},
    };
    for (const WorkedLine& line : lines) {
        EXPECT_EQ(Columns(line.options, line.frame, line.status), line.expected);
    }
}

TEST(FrameColumns, StatusColumn) {
    EXPECT_EQ(Columns({0xe5}, 0).substr(0, 1), " ");
    EXPECT_EQ(Columns({0xe5}, 0x01).substr(0, 1), "*");
    DisplayOptions detail = With(&DisplayOptions::DetailSts);
    EXPECT_EQ(Columns(detail, {0xe5}, 0x00).substr(0, 8), "........");
    EXPECT_EQ(Columns(detail, {0xe5}, 0xff).substr(0, 8), "spdruoce");
    EXPECT_EQ(Columns(detail, {0xe5}, 0x41).substr(0, 8), "s.....c.");
    EXPECT_EQ(Columns(detail, {0xe5}, 0x14).substr(0, 8), "..d.u...");
}

TEST(FrameColumns, ZeroCountDecodesStatusAsStartDelimiter) {
    EXPECT_EQ(Columns({}, 0x00), " FrmLen?(0)SD?00 ");
    EXPECT_EQ(Columns({}, 0x68), "*FrmLen?(0)SD2 SD2 Len(0)? ");
    EXPECT_EQ(Columns({}, 0xa2), "*FrmLen?(0)SD3 SD3 Len(0)? ");
    EXPECT_EQ(Columns({}, 0xdc), "*FrmLen?(0)SD4 Len(0)? ");
    EXPECT_EQ(Columns({}, 0xe5), "*FrmLen?(0)SC          SHAK Len(0)? ");
    EXPECT_EQ(Columns(With(&DisplayOptions::NoDelim), {}, 0x10), "*FrmLen?(0)Len(0)? ");
}

TEST(FrameColumns, LengthComplaints) {
    struct Case {
        std::vector<std::uint8_t> frame;
        const char* expected;
    };
    const Case cases[] = {
        {{0x10, 0x05, 0x02, 0x49, 0x16}, " SD1 Len(5)? 10 05 02 49 16 "},
        {{0x10, 0x05, 0x02, 0x49, 0x50, 0x16, 0x00}, " SD1 Len(7)? 10 05 02 49 50 16 00 "},
        {{0x68, 0x02, 0x02, 0x68, 0x05, 0x02, 0x49, 0x50}, " SD2 SD2 Len(8)? 68 02 02 68 05 02 49 50 "},
        {{0xa2, 0x05, 0x02}, " SD3 SD3 Len(3)? a2 05 02 "},
        {{0xdc, 0x02}, " SD4 Len(2)? dc 02 "},
        {{0xdc, 0x02, 0x05, 0x00}, " SD4 Len(4)? dc 02 05 00 "},
        {{0xe5, 0xe5}, " SC          SHAK Len(2)? e5 e5 "},
    };
    for (const Case& c : cases) EXPECT_EQ(Columns(c.frame), c.expected);
}

TEST(FrameColumns, Sd2ShapeTestsRunInOrder) {
    // LE? names the byte count, not the LE byte.
    EXPECT_EQ(Columns({0x68, 0x05, 0x05, 0x68, 0x05, 0x02, 0x49, 0x50, 0x16, 0x16}),
              " SD2 SD2 LE?(10) 68 05 05 68 05 02 49 50 16 16 ");
    // A wrong LE is reported even when LEr and the repeated SD are wrong too.
    EXPECT_EQ(Columns({0x68, 0x09, 0x00, 0x00, 0x05, 0x02, 0x49, 0x50, 0x16}),
              " SD2 SD2 LE?(9) 68 09 00 00 05 02 49 50 16 ");
    EXPECT_EQ(Columns({0x68, 0x03, 0x03, 0x67, 0x05, 0x02, 0x49, 0x50, 0x16}),
              " SD2 SD2r? 68 03 03 67 05 02 49 50 16 ");
    // Nine bytes with LE 3 is the shortest decodable SD2 frame.
    EXPECT_EQ(Columns({0x68, 0x03, 0x03, 0x68, 0x05, 0x02, 0x49, 0x50, 0x16}),
              " SD2   5<2   RFDL       ED ");
}

TEST(FrameColumns, UnknownStartDelimiterDumpsEverything) {
    EXPECT_EQ(Columns({0xff}), " SD?ff ff ");
    // NoDelim and NoData touch neither the complaint nor the dump.
    DisplayOptions options = With(&DisplayOptions::NoDelim, &DisplayOptions::NoData);
    EXPECT_EQ(Columns(options, {0x00, 0x01, 0x02}), " SD?00 00 01 02 ");
    EXPECT_EQ(Columns(options, {0x68, 0x05, 0x02, 0x49}), " SD2 Len(4)? 68 05 02 49 ");
}

TEST(FrameColumns, FullLengthFrameDumpsAll255Bytes) {
    std::vector<std::uint8_t> frame(255, 0xab);
    std::string text = Columns(frame);
    EXPECT_EQ(text.substr(0, 10), " SD?ab ab ");
    EXPECT_EQ(text.size(), 1 + 6 + 255 * 3u);
}

TEST(FrameColumns, Sd3DecodesEightDataUnitsAfterSaps) {
    std::vector<std::uint8_t> frame = {0xa2, 0x85, 0x02, 0x5d, 0x80, 1, 2, 3, 4, 5, 6, 7, 0x9c, 0x16};
    EXPECT_EQ(Columns(frame), " SD3   5<2   SRDH 128{   01 02 03 04 05 06 07 ED ");
    frame[1] = 0x05;
    EXPECT_EQ(Columns(frame), " SD3   5<2   SRDH       80 01 02 03 04 05 06 07 ED ");
}

TEST(FrameColumns, ShortAcknowledgementBlanksFollowAddressFlags) {
    struct Case {
        bool noDst, noSrc, noFc, showFcbTyp, noDelim;
        const char* expected;
    };
    const Case cases[] = {
        {false, false, false, false, false, " SC          SHAK "},
        {true, false, false, false, false, " SC       SHAK "},
        {false, true, false, false, false, " SC       SHAK "},
        {true, true, false, false, false, " SC  SHAK "},
        {false, false, false, true, false, " SC             SHAK "},
        {false, false, true, true, false, " SC          "},
        {true, true, true, false, true, " "},
    };
    for (const Case& c : cases) {
        DisplayOptions options;
        options.NoDst = c.noDst;
        options.NoSrc = c.noSrc;
        options.NoFc = c.noFc;
        options.ShowFcbTyp = c.showFcbTyp;
        options.NoDelim = c.noDelim;
        EXPECT_EQ(Columns(options, {0xe5}), c.expected);
    }
}

TEST(FrameColumns, AddressFlagsKeepWidths) {
    EXPECT_EQ(Columns(With(&DisplayOptions::NoDst), {0xdc, 0x82, 0x7f}), " SD4 <127 ");
    EXPECT_EQ(Columns(With(&DisplayOptions::NoSrc), {0xdc, 0xff, 0x05}), " SD4 127< ");
    EXPECT_EQ(Columns(With(&DisplayOptions::NoDst, &DisplayOptions::NoSrc), {0xdc, 0x02, 0x05}), " SD4 ");
    DisplayOptions none = With(&DisplayOptions::NoDst, &DisplayOptions::NoSrc);
    none.NoDelim = true;
    EXPECT_EQ(Columns(none, {0xdc, 0x02, 0x05}), " ");
}

TEST(FrameColumns, SapFlagsKeepWidths) {
    struct Case {
        bool noDstSap, noSrcSap;
        const char* withSaps;
        const char* withoutSaps;
    };
    const Case cases[] = {
        {false, false, "62{61 ", "      "},
        {true, false, "{61 ", "    "},
        {false, true, "62{ ", "    "},
        {true, true, "", ""},
    };
    for (const Case& c : cases) {
        DisplayOptions options;
        options.NoDstSap = c.noDstSap;
        options.NoSrcSap = c.noSrcSap;
        EXPECT_EQ(Columns(options, kSd2), std::string(" SD2   5<2   SRDH ") + c.withSaps + "01 02 ED ");
        EXPECT_EQ(Columns(options, {0x68, 0x05, 0x05, 0x68, 0x05, 0x02, 0x7d, 0x01, 0x02, 0x86, 0x16}),
                  std::string(" SD2   5<2   SRDH ") + c.withoutSaps + "01 02 ED ");
    }
}

TEST(FrameColumns, SapBraceOnlyForShownSide) {
    // SSAP only: DA without extension, SA with.
    std::vector<std::uint8_t> frame = {0x68, 0x05, 0x05, 0x68, 0x05, 0x82, 0x7d, 0x3d, 0x01, 0x86, 0x16};
    EXPECT_EQ(Columns(frame), " SD2   5<2   SRDH   {61 01 ED ");
    EXPECT_EQ(Columns(With(&DisplayOptions::NoSrcSap), frame), " SD2   5<2   SRDH     01 ED ");
    EXPECT_EQ(Columns(With(&DisplayOptions::NoDstSap), frame), " SD2   5<2   SRDH {61 01 ED ");
}

TEST(FrameColumns, FullByteSaps) {
    std::vector<std::uint8_t> frame = {0x68, 0x05, 0x05, 0x68, 0x85, 0x82, 0x7d, 0x80, 0xff, 0x86, 0x16};
    EXPECT_EQ(Columns(frame), " SD2   5<2   SRDH 128{255 ED ");
}

TEST(FrameColumns, NoFcAndNoDataDropOnlyTheirColumns) {
    DisplayOptions options = With(&DisplayOptions::NoFc, &DisplayOptions::NoData);
    options.ShowFcs = true;
    EXPECT_EQ(Columns(options, kSd2), " SD2   5<2   62{61 [02] ED ");
}

TEST(FrameColumns, MissingSapBytesShowTheFrameRaw) {
    // SD1 cannot hold a SAP byte.
    EXPECT_EQ(Columns({0x10, 0x85, 0x02, 0x49, 0x50, 0x16}),
              " SD1   5<2   RFDL SAP? 10 85 02 49 50 16 ");
    // LE 4 holds one SAP byte, not two.
    std::vector<std::uint8_t> two = {0x68, 0x04, 0x04, 0x68, 0x85, 0x82, 0x7d, 0x3e, 0x00, 0x16};
    EXPECT_EQ(Columns(two), " SD2   5<2   SRDH SAP? 68 04 04 68 85 82 7d 3e 00 16 ");
    two[5] = 0x02;
    EXPECT_EQ(Columns(two), " SD2   5<2   SRDH 62{   ED ");
    // NoData does not shorten the dump.
    EXPECT_EQ(Columns(With(&DisplayOptions::NoData), {0x68, 0x03, 0x03, 0x68, 0x05, 0x82, 0x49, 0x00, 0x16}),
              " SD2   5<2   RFDL SAP? 68 03 03 68 05 82 49 00 16 ");
}

TEST(FrameColumns, EndDelimiterAndCheckSum) {
    EXPECT_EQ(Columns(With(&DisplayOptions::NoDelim), kSd1), "   5<2   RFDL       ");
    DisplayOptions fcs = With(&DisplayOptions::ShowFcs, &DisplayOptions::NoDelim);
    EXPECT_EQ(Columns(fcs, {0x10, 0x05, 0x02, 0x49, 0x50, 0x00}), "   5<2   RFDL       [50] ED?(00) ");
}

}  // namespace
}  // namespace zelmot
