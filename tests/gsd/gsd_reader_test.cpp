// Reading device files: the two test files field by field, CR LF, the
// refusal of texts that are no device file, every kind of unreadable line
// with its warning, and the bounds against hostile input.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "gsd_test_util.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::ReadGsdBody;
using test::ReadGsdData;

TEST(ReadGsdFile, CompactDevice) {
    const GsdDevice d = ReadGsdData("compact_io.gsd");
    EXPECT_TRUE(d.Warnings.Texts.empty()) << d.Warnings.Texts.front();
    EXPECT_EQ(d.VendorName, "Brandlmeier Feldtechnik");
    EXPECT_EQ(d.ModelName, "IO-Block 1/2; compact");
    EXPECT_EQ(d.IdentNumber, 0x1B1C);
    EXPECT_EQ(d.StationType, 0);
    EXPECT_FALSE(d.Dpv1Slave);
    EXPECT_FALSE(d.ModularStation);
    const std::vector<std::uint16_t> tsdr = {60, 60, 60, 60, 60, 60, 100, 150, 250, 450, 800};
    for (std::size_t b = 0; b < kGsdBaudCount; ++b) EXPECT_EQ(d.MaxTsdr[b], tsdr[b]) << "baud " << b;
    EXPECT_EQ(d.MinSlaveInterval, 6u);
    EXPECT_EQ(d.MaxUserPrmDataLen, 3u);
    EXPECT_EQ(d.Consts, (std::vector<GsdPrmConst>{{0, {0, 0, 0}}}));
    EXPECT_EQ(d.Refs, (std::vector<GsdPrmRef>{{0, 1}, {0, 2}, {1, 3}}));
    EXPECT_EQ(d.Definitions, (std::vector<GsdPrmDefinition>{
                                 {1, "Input inversion", GsdPrmType::Bit, 7, 7, 0, 0, 1, 1},
                                 {2, "Input filter", GsdPrmType::BitArea, 0, 1, 1, 0, 3, 2},
                                 {3, "Output hold time", GsdPrmType::Unsigned16, 0, 7, 0, 0, 1000, std::nullopt},
                             }));
    ASSERT_EQ(d.TextLists.size(), 2u);
    EXPECT_EQ(d.TextLists[1].Number, 2u);
    EXPECT_EQ(d.TextLists[1].Texts.back(), (GsdValueText{3, "100 ms"}));
    ASSERT_EQ(d.Modules.size(), 1u);
    EXPECT_EQ(d.Modules[0].Name, "1 byte in, 2 bytes out");
    EXPECT_EQ(d.Modules[0].Identifiers, (std::vector<std::uint8_t>{0x10, 0x21}));
    EXPECT_EQ(d.Modules[0].Reference, 1u);
    EXPECT_EQ(d.DiagBits, (std::vector<GsdDiagBit>{{8, false, "Sensor supply short circuit"},
                                                   {9, false, "Output overload"},
                                                   {15, true, "Load voltage missing"}}));
    ASSERT_EQ(d.DiagAreas.size(), 1u);
    EXPECT_EQ(d.DiagAreas[0].FirstBit, 16u);
    EXPECT_EQ(d.DiagAreas[0].LastBit, 18u);
    EXPECT_EQ(d.DiagAreas[0].Values.size(), 3u);
    EXPECT_EQ(d.ChannelDiags.size(), 2u);
    EXPECT_EQ(d.SkippedLines, 5u);  // GSD_Revision, Revision, Protocol_Ident, two _supp
}

TEST(ReadGsdFile, ModularDevice) {
    const GsdDevice d = ReadGsdData("modular_io.gsd");
    EXPECT_TRUE(d.Warnings.Texts.empty()) << d.Warnings.Texts.front();
    EXPECT_EQ(d.IdentNumber, 0xD553);
    EXPECT_TRUE(d.Dpv1Slave);
    EXPECT_TRUE(d.ModularStation);
    EXPECT_EQ(d.MaxModule, 8u);
    EXPECT_FALSE(d.MaxTsdr[static_cast<std::size_t>(GsdBaud::B9k6)]);
    ASSERT_EQ(d.Modules.size(), 6u);
    const GsdModule& analog = d.Modules[4];
    EXPECT_EQ(analog.Reference, 5u);
    EXPECT_EQ(analog.PrmDataLen, 2u);
    EXPECT_EQ(analog.Consts, (std::vector<GsdPrmConst>{{0, {2, 5}}}));
    EXPECT_EQ(analog.Refs, (std::vector<GsdPrmRef>{{0, 10}, {1, 11}}));
    ASSERT_EQ(d.Definitions.size(), 3u);
    EXPECT_EQ(d.Definitions[0].Type, GsdPrmType::Signed16);
    EXPECT_EQ(d.Definitions[0].Min, -1000);
    EXPECT_EQ(d.Definitions[1].Number, 10u);  // sorted: the file lists 11 first
    EXPECT_EQ(d.Definitions[1].Min, 1);       // the allowed values 1,2,3
    EXPECT_EQ(d.Definitions[1].Max, 3);
    EXPECT_EQ(d.SkippedLines, 2u);  // GSD_Revision, Info_Text
}

TEST(ReadGsdText, CrLfReadsAsLf) {
    const std::string text = test::ReadText(test::GsdDataPath("compact_io.gsd"));
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    GsdDevice lf;
    GsdDevice dos;
    ASSERT_TRUE(ReadGsdText(text, "x", lf).IsOk());
    ASSERT_TRUE(ReadGsdText(crlf, "x", dos).IsOk());
    EXPECT_EQ(lf, dos);
}

TEST(ReadGsdText, ValuesAndContinuations) {
    const GsdDevice d = ReadGsdBody(
        "Vendor_Name = \"Z\xF6lmer \xC3\xA9\" ; \"not a text\n"
        "Ext_User_Prm_Data_Const(0x02) = 1, \\ ; more below\n"
        "   0x0A,255 ; a \\ in a comment continues nothing \\\n"
        "Ident_Number = 0x00ff\n"
        "ExtUserPrmData = 7 \"Offset\"\n"
        "Signed8 -5 -100--50\n"
        "EndExtUserPrmData\n");
    EXPECT_TRUE(d.Warnings.Texts.empty()) << d.Warnings.Texts.front();
    EXPECT_EQ(d.VendorName, "Z\xC3\xB6lmer \xC3\x83\xC2\xA9");  // the file is Latin-1: \xF6 is no UTF-8
    EXPECT_EQ(d.Consts, (std::vector<GsdPrmConst>{{2, {1, 10, 255}}}));
    EXPECT_EQ(d.IdentNumber, 0xFF);
    ASSERT_EQ(d.Definitions.size(), 1u);
    EXPECT_EQ(d.Definitions[0].Default, -5);
    EXPECT_EQ(d.Definitions[0].Min, -100);
    EXPECT_EQ(d.Definitions[0].Max, -50);
}

TEST(ReadGsdText, RefusesTextsWithoutTheMark) {
    const std::string refused = "t.gsd: not a GSD file (no #Profibus_DP line)";
    for (const std::string& text : std::vector<std::string>{"", "; comments only\n\n", "Vendor_Name = \"x\"\n#Profibus_DP\n",
                                   std::string("\0\x01\xFF", 3), "\"#Profibus_DP\n", std::string(9000, '#')}) {
        GsdDevice device;
        EXPECT_EQ(ReadGsdText(text, "t.gsd", device).Text, refused) << text.substr(0, 40);
    }
    for (const std::string& text : std::vector<std::string>{"\xEF\xBB\xBF#profibus_dp\r\n", "  ; c\n\n  #PROFIBUS_DP  ; c\nIdent_Number=1"}) {
        GsdDevice device;
        EXPECT_TRUE(ReadGsdText(text, "t.gsd", device).IsOk()) << text;
    }
    GsdDevice device;
    EXPECT_EQ(ReadGsdFile("/nonexistent/x.gsd", device).Text, "/nonexistent/x.gsd: cannot open the GSD file");
}

struct LineCase {
    const char* name;
    std::string body;  // from line 2; "Ident_Number = 7" is added as its last line
    std::vector<std::string> warnings;
    std::uint32_t skipped = 0;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ReadsLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReadsLines, WarnsAndGoesOn) {
    const GsdDevice d = ReadGsdBody(GetParam().body + "\nIdent_Number = 7\n");
    EXPECT_EQ(d.Warnings.Texts, GetParam().warnings);
    EXPECT_EQ(d.SkippedLines, GetParam().skipped);
    EXPECT_EQ(d.IdentNumber, 7);
}

const std::string kLongLine = "Model_Name = \"" + std::string(10000, 'x') + "\"";

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadsLines,
    ::testing::Values(
        LineCase{"UnknownKeywordsAreCounted", "Freeze_Mode_supp = 1\nInfo_Text = \"x\"\n#Other", {}, 3},
        LineCase{"BadHexNumber", "Ident_Number = 0x1G", {"t.gsd:2: bad number '0x1G'"}},
        LineCase{"NumberOutOfRange", "Station_Type = 300", {"t.gsd:2: number 300 out of range 0-255"}},
        LineCase{"NegativeTsdr", "MaxTsdr_12M = -1", {"t.gsd:2: number -1 out of range 0-65535"}},
        LineCase{"TextAfterTheValue", "Ident_Number = 5 6", {"t.gsd:2: unexpected '6' after the value"}},
        LineCase{"MissingEquals", "Ident_Number 5", {"t.gsd:2: missing '=' after Ident_Number"}},
        LineCase{"UnterminatedText", "Vendor_Name = \"abc\nModel_Name = \"m\"", {"t.gsd:2: unterminated quoted text"}},
        LineCase{"TextMissing", "Model_Name = 5", {"t.gsd:2: quoted text missing"}},
        LineCase{"LongTextCut", "Model_Name = \"" + std::string(300, 'y') + "\"",
                 {"t.gsd:2: quoted text longer than 256 characters, cut"}},
        LineCase{"HugeLine", kLongLine, {"t.gsd:2: line longer than 8192 characters, not read"}},
        LineCase{"LineNumberAfterContinuation", "User_Prm_Data = 1, \\\n 2\nUser_Prm_Data_Len = x",
                 {"t.gsd:4: bad number 'x'"}},
        LineCase{"NoKeyword", "= 5", {"t.gsd:2: line without a keyword"}},
        LineCase{"ArgumentMissing", "Ext_User_Prm_Data_Const = 1",
                 {"t.gsd:2: Ext_User_Prm_Data_Const without its (number)"}},
        LineCase{"ParenthesisOpen", "Ext_User_Prm_Data_Ref(2 = 1", {"t.gsd:2: missing ')'"}},
        LineCase{"ByteListTooLong", "User_Prm_Data = 0" + [] {
                     std::string more;
                     for (int i = 0; i < 256; ++i) more += ",1";
                     return more;
                 }(),
                 {"t.gsd:2: more than 256 numbers in a list"}},
        LineCase{"EndModuleWithoutModule", "EndModule", {"t.gsd:2: EndModule without Module"}},
        LineCase{"TextOutsidePrmText", "Text(1) = \"x\"", {"t.gsd:2: Text outside PrmText"}},
        LineCase{"ValueOutsideArea", "Value(3) = \"x\"", {"t.gsd:2: Value outside Unit_Diag_Area"}},
        LineCase{"TypeOutsideDefinition", "Bit(1) 0 0-1\nUnsigned8 5 1-100",
                 {"t.gsd:2: Bit outside ExtUserPrmData", "t.gsd:3: Unsigned8 outside ExtUserPrmData"}},
        LineCase{"ModuleWithoutBytes", "Module = \"m\"\nEndModule", {"t.gsd:2: number missing"}},
        LineCase{"ModuleInsideModule", "Module = \"m\" 0x10\n0x20\nModule = \"n\" 0x11\nEndModule",
                 {"t.gsd:4: Module inside Module of line 2 (EndModule missing)"}},
        LineCase{"UnreadableModulePassedOver", "Module = \"m\" 0x100\nExt_Module_Prm_Data_Len = 2\nEndModule",
                 {"t.gsd:2: number 256 out of range 0-255"}, 1},
        LineCase{"ModuleNotClosed", "Module = \"m\" 0x10", {"t.gsd:2: Module not closed by EndModule"}},
        LineCase{"DefinitionWithoutType", "ExtUserPrmData = 4 \"p\"\nPrm_Text_Ref = 1\nEndExtUserPrmData",
                 {"t.gsd:2: ExtUserPrmData 4 has no type line: not kept"}},
        LineCase{"BitBeyondTheByte", "ExtUserPrmData = 4 \"p\"\nBit(8) 0 0-1\nEndExtUserPrmData",
                 {"t.gsd:3: number 8 out of range 0-7", "t.gsd:2: ExtUserPrmData 4 has no type line: not kept"}},
        LineCase{"BitAreaBackwards", "ExtUserPrmData = 4 \"p\"\nBitArea(3-1) 0 0-1\nEndExtUserPrmData",
                 {"t.gsd:3: range 3-1 runs backwards", "t.gsd:2: ExtUserPrmData 4 has no type line: not kept"}},
        LineCase{"DefaultBeyondTheType", "ExtUserPrmData = 4 \"p\"\nUnsigned8 256 0-255\nEndExtUserPrmData",
                 {"t.gsd:3: number 256 out of range 0-255", "t.gsd:2: ExtUserPrmData 4 has no type line: not kept"}},
        LineCase{"WideDiagArea", "Unit_Diag_Area = 0-40\nValue(1) = \"x\"\nUnit_Diag_Area_End",
                 {"t.gsd:2: Unit_Diag_Area wider than 32 bits"}, 1},
        LineCase{"ChannelErrorBeyondFiveBits", "Channel_Diag(32) = \"x\"", {"t.gsd:2: number 32 out of range 0-31"}}),
    [](const ::testing::TestParamInfo<LineCase>& param) { return std::string(param.param.name); });

TEST(ReadGsdText, BoundsWhatItKeeps) {
    std::string body;
    for (int i = 0; i < 10000; ++i) body += "Module = \"m\" 0x10\nExt_User_Prm_Data_Const(0) = 1\nEndModule\n";
    GsdDevice d = ReadGsdBody(body + std::string(1 << 20, 'z') + "\nIdent_Number = 7\n");
    EXPECT_EQ(d.Modules.size(), kGsdMaxModules);
    EXPECT_EQ(d.Warnings.Texts, (std::vector<std::string>{
                                    "t.gsd:3074: more than 1024 modules: the rest are not kept",
                                    "t.gsd:30002: line longer than 8192 characters, not read"}));
    EXPECT_EQ(d.IdentNumber, 7);

    body.clear();
    for (int i = 0; i < 100; ++i) body += "Ident_Number = x\n";
    d = ReadGsdBody(body);
    EXPECT_EQ(d.Warnings.Texts.size(), kGsdMaxWarnings);
    EXPECT_EQ(d.Warnings.More, 100 - kGsdMaxWarnings);
}

}  // namespace
}  // namespace zelmot
