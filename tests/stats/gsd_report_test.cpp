// zelmot-stats with Gsd= words on the generator's default run, whose slaves
// the test device files describe: every module and parameter named, a
// configuration the device file cannot build, a slave slower than its
// MaxTsdr, diagnoses and events in the device's words; and the Gsd= words
// a user gets wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "stats_run_support.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

using Json = nlohmann::json;

const std::string kGsdFolder = std::string(ZELMOT_SOURCE_DIR) + "/tests/gsd/data";
const std::string kStatsGsdFolder = std::string(ZELMOT_SOURCE_DIR) + "/tests/stats/data/gsd";

// The generator's default run (seed 1) as <dir>/gen1200.
std::string GenerateDefaultRun(const test::TempDir& dir) {
    // The traffic of the generator's earlier default: a diagnosis and timeouts now and then.
    test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, {dir.Path("gen"), "--diag-rate", "0.00025", "--timeout-rate",
                                                             "0.0005", "--watchdog", "1000"});
    EXPECT_EQ(gen.ExitCode, 0) << gen.Output;
    return dir.Path("gen1200");
}

const Json& StationOf(const Json& doc, int address) {
    for (const Json& station : doc["stations"])
        if (station["address"] == address) return station;
    ADD_FAILURE() << "no station " << address;
    static const Json kNone;
    return kNone;
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(GsdReport, TheDefaultRunsSlavesAreNamedByTheirDeviceFiles) {
    test::TempDir dir;
    const std::string capture = GenerateDefaultRun(dir);
    const std::vector<std::string> gsd = {"Gsd=" + kGsdFolder, "gsd=" + kStatsGsdFolder};
    std::vector<std::string> args = {capture, "NumMin=all", "Format=json"};
    args.insert(args.end(), gsd.begin(), gsd.end());
    test::StatsRun run = test::RunStats(args, dir);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const Json doc = Json::parse(run.Out);

    struct Expected {
        int Address;
        const char* File;                     // below the source folder
        std::vector<const char*> Modules;     // by slot; nullptr: no module matches
        std::size_t Params;                   // every one named
        int MaxTsdr;
        bool Slow;
    };
    const Expected slaves[] = {
        {5, "/tests/gsd/data/compact_io.gsd", {"1 byte in, 2 bytes out"}, 3, 800, false},
        {10, "/tests/gsd/data/modular_io.gsd", {"16 bytes in", "16 bytes in", "10 bytes out"}, 1, 1000, false},
        {7, "/tests/stats/data/gsd/partial_io.gsd", {"2 bytes in", nullptr}, 0, 800, false},
        {9, "/tests/stats/data/gsd/diag_io.gsd", {"8 bytes in", "16 bytes out"}, 0, 800, false},
        {12, "/tests/stats/data/gsd/slow_io.gsd", {"8 bytes in, 8 bytes out"}, 0, 150, true},
    };
    for (const Expected& e : slaves) {
        SCOPED_TRACE(e.Address);
        const Json& gsdJson = StationOf(doc, e.Address)["gsd"];
        ASSERT_TRUE(gsdJson.is_object());
        // The file as the folder listing names it: on Windows with a backslash before the file name.
        EXPECT_EQ(std::filesystem::path(gsdJson["file"].get<std::string>()),
                  std::filesystem::path(ZELMOT_SOURCE_DIR + std::string(e.File)));
        EXPECT_TRUE(gsdJson["vendor"].is_string() && gsdJson["model"].is_string());
        ASSERT_EQ(gsdJson["modules"].size(), e.Modules.size());
        for (std::size_t s = 0; s < e.Modules.size(); ++s) {
            EXPECT_EQ(gsdJson["modules"][s]["slot"], s);
            EXPECT_EQ(gsdJson["modules"][s]["name"], e.Modules[s] ? Json(e.Modules[s]) : Json(nullptr)) << s;
        }
        ASSERT_EQ(gsdJson["prm"].size(), e.Params);
        for (const Json& prm : gsdJson["prm"]) EXPECT_TRUE(prm["name"].is_string()) << prm;
        EXPECT_EQ(gsdJson["max_tsdr_bits"], e.MaxTsdr);
        const double slowest = StationOf(doc, e.Address)["slave"]["response_bits"]["max"];
        EXPECT_EQ(slowest > e.MaxTsdr, e.Slow) << slowest;
        EXPECT_EQ(gsdJson["slow_answers"].get<int>() > 0, e.Slow);
    }
    for (int address : {6, 8, 11}) EXPECT_TRUE(StationOf(doc, address)["gsd"].is_null()) << address;
    // The parameters of the compact block and their texts.
    EXPECT_EQ(StationOf(doc, 5)["gsd"]["prm"][1], (Json{{"name", "Input filter"}, {"value", 0}, {"text", "3 ms"},
                                                        {"slot", nullptr}}));
    // The unit diagnosis texts in the device block of slave 9's diagnosis.
    const Json& block = StationOf(doc, 9)["dp"]["diag"]["last"]["ext"][0];
    ASSERT_EQ(block["gsd_texts"].size(), 3u);
    EXPECT_EQ(block["gsd_texts"][2], (Json{{"first_bit", 16}, {"last_bit", 19}, {"value", 13},
                                           {"text", "Temperature sensor fault"}}));

    args[2] = "Format=text";
    test::StatsRun text = test::RunStats(args, dir);
    ASSERT_EQ(text.Status, 0) << text.Err;
    for (const char* part : {"DP slaves by their GSD files (5 devices read)\n",
                             "  slave 5: Brandlmeier Feldtechnik IO-Block 1/2; compact (",
                             "    parameters: Input inversion = 0 (off), Input filter = 0 (3 ms), Output hold time = 0\n",
                             "    parameters: Warning limit: not in the Set_Prm\n",
                             "slot 1: no GSD module matches byte 1 (0x21)\n",
                             "    response: answers in up to 154.7 bit times, GSD allows 150 (",
                             "  no GSD file for slave 6 (0xB308), slave 8 (0xA1F9), slave 11 (0x4576)\n",
                             " slave 9 (Oberkamp Messtechnik DiagBox 8/16): Ext_Diag, WD_On; device block 034b9d: "
                             "Supply A missing, Fan stopped, Temperature sensor fault\n"})
        EXPECT_TRUE(Holds(text.Out, part)) << part;

    args[2] = "Format=events";
    test::StatsRun events = test::RunStats(args, dir);
    ASSERT_EQ(events.Status, 0) << events.Err;
    EXPECT_TRUE(Holds(events.Out, ",5,state,slave 5 (Brandlmeier Feldtechnik IO-Block 1/2; compact): (new) -> diagnosis\n"));

    // Without device files nothing names a device.
    test::StatsRun plain = test::RunStats({capture, "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(plain.Status, 0) << plain.Err;
    const Json plainDoc = Json::parse(plain.Out);
    for (const Json& station : plainDoc["stations"]) EXPECT_TRUE(station["gsd"].is_null());
    test::StatsRun plainText = test::RunStats({capture, "NumMin=all"}, dir);
    EXPECT_FALSE(Holds(plainText.Out, "GSD"));
}

TEST(GsdReport, GsdWordsAUserGetsWrong) {
    test::TempDir dir;
    const std::string capture = GenerateDefaultRun(dir);
    test::WriteText(dir.Path("odd.gsd"), "#Profibus_DP\nIdent_Number = 0x1B1C\nModel_Name = \"unclosed\n");
    test::WriteText(dir.Path("notes.gsd"), "Vendor_Name = \"X\"\n");
    struct Case {
        const char* Name;
        std::string Word;
        int Status;
        std::string Message;  // in standard error
        bool Named;           // slave 5 is named by a device
    };
    const Case cases[] = {
        {"no path", "Gsd=", 3, "Invalid Gsd - no file or folder name\nuse: zelmot-stats", false},
        {"missing", "Gsd=" + dir.Path("none.gsd"), 0, dir.Path("none.gsd") + ": cannot open the GSD file: not used\n",
         false},
        {"no GSD file", "Gsd=" + dir.Path("notes.gsd"), 0, dir.Path("notes.gsd") + ": not a GSD file", false},
        {"a line it cannot read", "Gsd=" + dir.Path("odd.gsd"), 0, dir.Path("odd.gsd") + ":3: ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::StatsRun run = test::RunStats({capture, c.Word, "Format=json"}, dir);
        EXPECT_EQ(run.Status, c.Status);
        EXPECT_TRUE(Holds(run.Err, c.Message)) << run.Err;
        if (c.Status != 0) continue;
        EXPECT_EQ(StationOf(Json::parse(run.Out), 5)["gsd"].is_object(), c.Named);
    }
}

}  // namespace
}  // namespace zelmot
