// Device files as vendors write them, in small files of our own: one table
// of the quirks real files hold (continued quoted texts, keyword spelling,
// missing text lists, overlapping constant blocks, long lines, line ends,
// texts padded with blanks, lines passed over by keyword, Latin-1 and
// UTF-8 texts), and every byte value through every kind of text the reader
// hands out.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "common/utf8_text.h"
#include "gsd/gsd_prm_image.h"
#include "gsd/gsd_user_params.h"
#include "gsd/gsd_words.h"
#include "gsd_test_util.h"

namespace zelmot {
namespace {

using namespace std::string_literals;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t b : bytes) text += (text.empty() ? "" : ",") + std::to_string(b);
    return text;
}

// What a reading kept, field by field, leaving out what is empty.
std::string DescribeDevice(const GsdDevice& d) {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    if (!d.VendorName.empty()) add("vendor=" + d.VendorName);
    if (!d.ModelName.empty()) add("model=" + d.ModelName);
    if (d.IdentNumber) add("ident=" + std::to_string(*d.IdentNumber));
    for (const GsdModule& m : d.Modules) {
        std::string module = "module=" + m.Name + ":" + Hex(m.Identifiers);
        for (const GsdPrmConst& c : m.Consts) module += " const(" + std::to_string(c.Offset) + ")=" + Hex(c.Bytes);
        add(module);
    }
    if (!d.UserPrmData.empty()) add("user_prm_data=" + std::to_string(d.UserPrmData.size()) + " bytes");
    for (const GsdPrmDefinition& p : d.Definitions) add("prm=" + p.Name);
    for (const GsdTextList& list : d.TextLists)
        for (const GsdValueText& t : list.Texts) add("text=" + t.Text);
    for (const GsdDiagBit& b : d.DiagBits) add("diag=" + b.Text);
    for (const GsdSkipped& s : d.Skipped) add("skip " + s.Keyword + "*" + std::to_string(s.Lines));
    for (const std::string& w : d.Warnings.Texts) add("[" + w + "]");
    return text;
}

struct TextCase {
    const char* name;
    std::string text;  // the whole file
    std::string read;  // DescribeDevice of what was read
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class ReadsRealFiles : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReadsRealFiles, AsTheVendorMeantIt) {
    GsdDevice device;
    const Outcome result = ReadGsdText(GetParam().text, "t.gsd", device);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(DescribeDevice(device), GetParam().read);
}

const std::string kLongList = [] {
    std::string list = "User_Prm_Data = 0";
    for (int i = 1; i < 120; ++i) list += ", 0x" + std::string(i % 16 < 10 ? "0" : "") + "1";
    return list;
}();

INSTANTIATE_TEST_SUITE_P(
    Quirks, ReadsRealFiles,
    ::testing::Values(
        TextCase{"QuotedTextRunsOverAContinuation",
                 "#Profibus_DP\nModel_Name = \"Motor manager, \\\nfieldbus, 0.3-820 A\"\nInfo_Text = \"one \\   \n"
                 "two; not a comment\"\nIdent_Number = 1\n",
                 "model=Motor manager, fieldbus, 0.3-820 A ident=1 skip Info_Text*1"},
        TextCase{"ContinuationOutsideTextsJoinsWithABlank",
                 "#Profibus_DP\nModule = \"m\" \\\n0x10,\\  ; a comment after the backslash\n0x20\nEndModule\n",
                 "module=m:16,32"},
        TextCase{"KeywordsInAnyCaseAndBlanksAroundEquals",
                 "#profibus_dp\nVENDOR_NAME=\"v\"\nmodel_name   =   \"m\"\nIdent_number\t= 0x0A\nMODULE = \"x\" 0x10\n"
                 "ext_user_prm_data_const ( 1 ) = 0x05\nendmodule\n",
                 "vendor=v model=m ident=10 module=x:16 const(1)=5"},
        TextCase{"PrmTextRefToAMissingList",
                 "#Profibus_DP\nExtUserPrmData = 4 \"Filter\"\nUnsigned8 1 0-3\nPrm_Text_Ref = 9\nEndExtUserPrmData\n"
                 "PrmText = 8\nText(1) = \"1 ms\"\nEndPrmText\n",
                 "prm=Filter text=1 ms [t.gsd:4: ExtUserPrmData 4: Prm_Text_Ref 9 names no PrmText, values shown as numbers]"},
        TextCase{"OverlappingConstantBlocksAreAllKept",
                 "#Profibus_DP\nModule = \"m\" 0x10\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 1,2,3\n"
                 "Ext_User_Prm_Data_Const(1) = 9\nEndModule\n",
                 "module=m:16 const(0)=1,2,3 const(1)=9"},
        TextCase{"LinesLongerThan255Characters", "#Profibus_DP\n" + kLongList + "\nModel_Name = \"" +
                                                     std::string(250, 'n') + "\"\n",
                 "model=" + std::string(250, 'n') + " user_prm_data=120 bytes"},
        TextCase{"TextsPaddedToAFixedWidth",
                 "#Profibus_DP\nVendor_Name = \"  v w   \"\nUnit_Diag_Bit(24) = \"Trip - Stalled Rotor      \"\n"
                 "PrmText = 1\nText(0) = \"no        \"\nText(1) = \"   \"\nEndPrmText\n",
                 "vendor=  v w text=no text= diag=Trip - Stalled Rotor"},
        TextCase{"CrLfAndLfMixedAndNoLastLineEnd",
                 "#Profibus_DP\r\nVendor_Name = \"v\"\nModel_Name = \"m\"\r\nIdent_Number = 3", "vendor=v model=m ident=3"},
        TextCase{"CarriageReturnAloneEndsALine", "#Profibus_DP\rVendor_Name = \"v\"\rIdent_Number = 3\r",
                 "vendor=v ident=3"},
        TextCase{"LinesPassedOverAreCountedByKeyword",
                 "#Profibus_DP\nInfo_Text = \"a\"\nBitmap_Device = \"b\"\nINFO_TEXT = \"c\"\n12M_supp = 1\n"
                 "info_text = \"d\"\n",
                 "skip Info_Text*3 skip Bitmap_Device*1 skip 12M_supp*1"},
        TextCase{"Latin1AsWindowsWritesIt",
                 "#Profibus_DP\nVendor_Name = \"B\xE4r \x80 \x96 \x81\"\nPrmText = 1\nText(0) = \"comp. 0\xBA" "C\"\n"
                 "EndPrmText\n",
                 "vendor=B\xC3\xA4r \xE2\x82\xAC \xE2\x80\x93 \xEF\xBF\xBD text=comp. 0\xC2\xBA" "C"},
        TextCase{"Utf8StaysUtf8", "#Profibus_DP\nVendor_Name = \"B\xC3\xA4r \xE2\x82\xAC\"\n",
                 "vendor=B\xC3\xA4r \xE2\x82\xAC"},
        TextCase{"ByteOrderMarkKeepsUtf8AndReplacesWhatIsNone",
                 "\xEF\xBB\xBF#Profibus_DP\nVendor_Name = \"B\xC3\xA4r \xE4\"\n", "vendor=B\xC3\xA4r \xEF\xBF\xBD"},
        TextCase{"ControlCharactersReadAsBlanks",
                 "#Profibus_DP\nVendor_Name = \"a\0b\tc\x1B[2Jd\x7F" "e\"\nModel_Name = \"\xC2\x85x\"\n"s,
                 "vendor=a b c [2Jd e model=\xEF\xBF\xBDx"},
        TextCase{"TextCutWithoutSplittingACharacter",
                 "#Profibus_DP\nVendor_Name = \"" + std::string(255, 'v') + "\xE4\xE4\"\n",
                 "vendor=" + std::string(255, 'v') + " [t.gsd:2: quoted text longer than 256 characters, cut]"}),
    [](const ::testing::TestParamInfo<TextCase>& param) { return std::string(param.param.name); });

TEST(ReadGsdText, OverlappingBlocksLaterOverEarlierAndParameterBitsLeftOpen) {
    const GsdDevice d = test::ReadGsdBody(
        "ExtUserPrmData = 1 \"Delay\"\nBitArea(0-3) 2 0-15\nEndExtUserPrmData\n"
        "ExtUserPrmData = 2 \"Limit\"\nUnsigned16 0 0-1000\nEndExtUserPrmData\n"
        "Module = \"m\" 0x10\nExt_Module_Prm_Data_Len = 5\nExt_User_Prm_Data_Const(0) = 0x34,0x01,0x02,0xFF\n"
        "Ext_User_Prm_Data_Const(1) = 0x09\nExt_User_Prm_Data_Ref(2) = 1\nExt_User_Prm_Data_Ref(3) = 2\n"
        "Ext_User_Prm_Data_Ref(9) = 2\nEndModule\n");
    const GsdModule& m = d.Modules.at(0);
    const GsdPrmImage image = BuildGsdPrmImage(d, m.Consts, m.Refs, GsdModulePrmLength(d, m));
    EXPECT_EQ(image.Bytes, (std::vector<std::uint8_t>{0x34, 0x09, 0x02, 0xFF, 0x00}));
    EXPECT_EQ(image.Fixed, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xF0, 0x00, 0x00}));
    EXPECT_TRUE(FitsGsdPrmImage(image, std::vector<std::uint8_t>{0x34, 0x09, 0x0D, 0x12, 0x34}));
    EXPECT_FALSE(FitsGsdPrmImage(image, std::vector<std::uint8_t>{0x34, 0x01, 0x02, 0xFF, 0x00}));
    EXPECT_FALSE(FitsGsdPrmImage(image, std::vector<std::uint8_t>{0x34, 0x09, 0x12, 0xFF, 0x00}));
}

TEST(GsdWords, SkippedLinesInOneLine) {
    EXPECT_EQ(GsdSkippedWords(test::ReadGsdBody("Info_Text = \"a\"\nOrderNumber = \"b\"\ninfo_text = \"c\"\n")),
              "skipped: 3 lines of 2 keywords");
    EXPECT_EQ(GsdSkippedWords(test::ReadGsdBody("Info_Text = \"a\"\n")), "skipped: 1 line of 1 keyword");
    EXPECT_EQ(GsdSkippedWords(test::ReadGsdBody("Vendor_Name = \"a\"\n")), "");
}

// Each byte value inside a text of every kind the reader hands out: every
// text, and every warning, is valid UTF-8 and keeps the text around it.
TEST(ReadGsdText, EveryByteValueGivesValidUtf8) {
    for (int value = 0; value < 256; ++value) {
        const std::string b(1, static_cast<char>(value));
        const std::string t = "\"a" + b + "z\"";
        const std::string text = "#Profibus_DP\nVendor_Name = " + t + "\nModel_Name = " + t + "\nModule = " + t +
                                 " 0x10\nEndModule\nExtUserPrmData = 1 " + t + "\nUnsigned8 0 0-1\n"
                                 "EndExtUserPrmData\nPrmText = 1\nText(0) = " + t + "\nEndPrmText\nUnit_Diag_Bit(3) = " +
                                 t + "\nUnit_Diag_Area = 8-9\nValue(1) = " + t + "\nUnit_Diag_Area_End\n"
                                 "Channel_Diag(17) = " + t + "\nIdent_Number = 7\n";
        GsdDevice d;
        ASSERT_TRUE(ReadGsdText(text, "t.gsd", d).IsOk()) << value;
        std::vector<std::string> texts = {d.VendorName, d.ModelName};
        for (const GsdModule& m : d.Modules) texts.push_back(m.Name);
        for (const GsdPrmDefinition& p : d.Definitions) texts.push_back(p.Name);
        for (const GsdTextList& l : d.TextLists)
            for (const GsdValueText& v : l.Texts) texts.push_back(v.Text);
        for (const GsdDiagBit& bit : d.DiagBits) texts.push_back(bit.Text);
        for (const GsdDiagArea& area : d.DiagAreas)
            for (const GsdValueText& v : area.Values) texts.push_back(v.Text);
        for (const GsdChannelDiag& c : d.ChannelDiags) texts.push_back(c.Text);
        for (const std::string& w : d.Warnings.Texts) texts.push_back(w);
        for (const GsdSkipped& s : d.Skipped) texts.push_back(s.Keyword);
        for (const std::string& seen : texts) EXPECT_TRUE(utf8::IsValid(seen)) << value << ": " << seen;
        if (value == '"' || value == '\n' || value == '\r') continue;  // they end the text or the line
        EXPECT_EQ(texts.size(), 8u + d.Warnings.Texts.size() + d.Skipped.size()) << value;
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_TRUE(texts[i].starts_with("a") && texts[i].ends_with("z") && texts[i].size() >= 3)
                << value << ": " << texts[i];
            for (char c : texts[i]) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << value;
        }
    }
}

}  // namespace
}  // namespace zelmot
