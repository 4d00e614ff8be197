// Every byte value through every output: a device file whose vendor,
// model, module, parameter and diagnosis texts each hold the bytes
// 0x00-0xFF, and a capture whose header names its device in bytes that are
// no UTF-8, run into the text, JSON, CSV, events and HTML reports and the
// pcapng export. Each output is valid UTF-8 and holds the texts as the
// device file's reader decoded them; the JSON reads back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/dp_traffic.h"
#include "common/utf8_text.h"
#include "gsd/gsd_reader.h"
#include "html/html_text.h"
#include "stats_run_support.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

using Json = nlohmann::json;

// The byte values run through the texts in three parts, so that a text
// decoded stays within the reader's 256 characters.
struct ByteRange {
    int First;
    int Last;
};
constexpr ByteRange kParts[] = {{0x00, 0x7F}, {0x80, 0xBF}, {0xC0, 0xFF}};

// The bytes of part between a letter and its repetition. A quote ends a
// quoted text and CR and LF end the line, so those three stand in the file
// outside the texts (its line ends, a comment).
std::string Swept(char letter, ByteRange part) {
    std::string text(1, letter);
    for (int value = part.First; value <= part.Last; ++value)
        if (value != '"' && value != '\r' && value != '\n') text += static_cast<char>(value);
    return text + letter;
}

std::string SweptFile(ByteRange part) {
    const auto q = [part](char letter) { return "\"" + Swept(letter, part) + "\""; };
    const std::string lines[] = {
        "; every byte: \" and the CR LF line ends",
        "#Profibus_DP",
        "Vendor_Name = " + q('V'),
        "Model_Name = " + q('M'),
        "Ident_Number = 0x0ABC",
        "Modular_Station = 1",
        "PrmText = 1",
        "Text(0) = " + q('o'),
        "Text(1) = " + q('t'),
        "EndPrmText",
        "ExtUserPrmData = 1 " + q('P'),
        "Bit(0) 0 0-1",
        "Prm_Text_Ref = 1",
        "EndExtUserPrmData",
        "Ext_User_Prm_Data_Const(0) = 0x00",
        "Ext_User_Prm_Data_Ref(0) = 1",
        "Module = " + q('m') + " 0x10",
        "Ext_Module_Prm_Data_Len = 1",
        "Ext_User_Prm_Data_Const(0) = 0x05",
        "EndModule",
        "Unit_Diag_Bit(0) = " + q('b'),
        "Unit_Diag_Area = 8-9",
        "Value(1) = " + q('a'),
        "Unit_Diag_Area_End",
        "Channel_Diag(16) = " + q('c'),
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The header's device name: broken sequences, a lone continuation byte,
// bytes UTF-8 never uses.
const std::string kDeviceName =
    "\xC3\x28\xA0\xA1\xE2\x82\x28\xF0\x28\x8C\xBC"
    "Bench\xFF\xFE\x80\x81\xC0\xAF";

// Slave 5 of the device above: started with a parameter the file's
// default does not hold, its configuration against another of its own, and
// a diagnosis whose identifier, channel and device blocks all take texts.
void WriteSweptCapture(const std::string& stem) {
    constexpr std::uint8_t kMaster = 1, kSlave = 5;
    constexpr std::uint16_t kIdent = 0x0ABC;
    test::Timeline t;
    test::Bytes prm = test::Parameters(1, 100, kIdent);
    prm.insert(prm.end(), {0x01, 0x05});
    t.StartUp(kMaster, kSlave, prm, kIdent, {0x10});
    t.Add(test::SapRequest(kMaster, kSlave, 59, {}));
    t.Add(test::SapAnswer(kMaster, kSlave, 59, {0x20}));
    t.Add(test::SapRequest(kMaster, kSlave, 60, {}));
    t.Add(test::SapAnswer(
        kMaster, kSlave, 60,
        test::Diagnosis(0x08, 0x0C, kMaster, kIdent, {0x42, 0x01, 0x80, 0x40, 0x10, 0x03, 0x01, 0x01})));
    t.Cycles(kMaster, {kSlave}, 5, 2.0);
    test::WriteCaptureRun(
        stem, 12, 0,
        test::SplitIntoFiles(test::StreamOf(t.Frames), {}, test::CaptureHeaderBytes(8, 0xC0A8010A, kDeviceName)));
}

struct SweepCase {
    const char* Name;
    const char* Program;            // the statistics or the pcapng export
    std::vector<std::string> Args;  // after the capture; "@name": the file in the scratch folder
    const char* OutFile;            // the output when not standard output, in the scratch folder
    const char* Shows;              // the letters of the texts it holds as decoded
    bool Html = false;              // the texts escaped for HTML
    bool IsJson = false;
};

std::string Expand(const std::string& arg, const test::TempDir& dir) {
    const std::size_t at = arg.find('@');
    return at == std::string::npos ? arg : arg.substr(0, at) + dir.Path(arg.substr(at + 1));
}

TEST(GsdByteSweep, EveryOutputIsValidUtf8AndHoldsTheDecodedTexts) {
    for (const ByteRange part : kParts) {
        SCOPED_TRACE(part.First);
        test::TempDir dir;
        test::WriteText(dir.Path("swept.gsd"), SweptFile(part));
        WriteSweptCapture(dir.Path("cap"));
        GsdDevice device;
        ASSERT_TRUE(ReadGsdText(SweptFile(part), "swept.gsd", device).IsOk());
        EXPECT_TRUE(device.Warnings.Texts.empty()) << device.Warnings.Texts.front();
        // The texts as decoded: each still begins and ends with its letter.
        const auto decoded = [&](char letter) {
            for (const std::string* text :
                 {&device.VendorName, &device.ModelName, &device.Modules.at(0).Name, &device.Definitions.at(0).Name,
                  &device.TextLists.at(0).Texts.at(1).Text, &device.DiagBits.at(0).Text,
                  &device.DiagAreas.at(0).Values.at(0).Text, &device.ChannelDiags.at(0).Text})
                if (text->size() > 2 && text->front() == letter && text->back() == letter) return *text;
            ADD_FAILURE() << "no text of " << letter;
            return std::string();
        };

        const std::string gsd = "Gsd=@swept.gsd";
        const SweepCase cases[] = {
            {"text", ZELMOT_STATS_EXE, {"NumMin=all", gsd}, nullptr, "VMmPtbac"},
            {"json", ZELMOT_STATS_EXE, {"NumMin=all", gsd, "Format=json"}, nullptr, "", false, true},
            {"csv", ZELMOT_STATS_EXE, {"NumMin=all", gsd, "Format=csv"}, nullptr, ""},
            {"events", ZELMOT_STATS_EXE, {"NumMin=all", gsd, "Format=events"}, nullptr, "VMmbac"},
            {"html", ZELMOT_STATS_EXE, {"NumMin=all", gsd, "Html=@page.html"}, "page.html", "VMmPtbac", true},
            {"pcapng", ZELMOT2PCAP_EXE, {"@out.pcapng", "NumMin=all", "Findings=yes"}, "out.pcapng", ""},
        };
        for (const SweepCase& c : cases) {
            SCOPED_TRACE(c.Name);
            std::vector<std::string> args = {dir.Path("cap1200")};
            for (const std::string& arg : c.Args) args.push_back(Expand(arg, dir));
            const test::ProcessRun run =
                test::RunProcess(c.Program, args, test::ProcessOptions{dir.path().string(), false});
            ASSERT_TRUE(run.Started);
            ASSERT_EQ(run.ExitCode, 0) << run.Errors;
            const std::string out = c.OutFile ? test::ReadText(dir.Path(c.OutFile)) : run.Output;
            ASSERT_FALSE(out.empty());
            if (std::string(c.Name) == "pcapng") {
                // The interface's name: the header's bytes made valid.
                EXPECT_NE(out.find(utf8::MakeValid(kDeviceName)), std::string::npos);
                EXPECT_EQ(out.find(kDeviceName), std::string::npos);
                continue;
            }
            EXPECT_TRUE(utf8::IsValid(out));
            for (const char* letter = c.Shows; *letter != '\0'; ++letter) {
                const std::string text = c.Html ? EscapedText(decoded(*letter)) : decoded(*letter);
                EXPECT_NE(out.find(text), std::string::npos) << "text of " << *letter;
            }
            if (!c.IsJson) continue;
            const Json doc = Json::parse(out);
            for (const Json& station : doc["stations"]) {
                if (station["address"] != 5) continue;
                EXPECT_EQ(station["gsd"]["vendor"], decoded('V'));
                EXPECT_EQ(station["gsd"]["model"], decoded('M'));
                EXPECT_EQ(station["gsd"]["modules"][0]["name"], decoded('m'));
                EXPECT_EQ(station["gsd"]["prm"][0]["name"], decoded('P'));
                EXPECT_EQ(station["gsd"]["prm"][0]["text"], decoded('t'));
            const Json& ext = station["dp"]["diag"]["last"]["ext"];
            ASSERT_EQ(ext.size(), 3u) << ext;
            EXPECT_EQ(ext[0]["gsd_modules"][0], decoded('m'));
            EXPECT_EQ(ext[1]["gsd_error_text"], decoded('c'));
            ASSERT_EQ(ext[2]["gsd_texts"].size(), 2u) << ext[2];
            EXPECT_EQ(ext[2]["gsd_texts"][0]["text"], decoded('b'));
            EXPECT_EQ(ext[2]["gsd_texts"][1]["text"], decoded('a'));
            }
        }
    }
}

}  // namespace
}  // namespace zelmot
