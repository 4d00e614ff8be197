// A slave's device file in the report's words: diagnoses named by module
// slot, Channel_Diag and unit diagnosis texts attached to the device block
// their bits lie in, the module split of a configuration, the count of
// answers slower than MaxTsdr read from the response-time buckets, and a
// slave run through the analysis with its modules identified by parameter
// bytes, its parameters against their defaults and its configuration held
// against its own, in the text section and the JSON.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "analysis/analysis_support.h"
#include "analysis/bus_collector.h"
#include "analysis/dp_traffic.h"
#include "gsd/gsd_reader.h"
#include "report/gsd_words.h"
#include "report/report_document.h"

namespace zelmot {
namespace {

constexpr const char kDevice[] =
    "#Profibus_DP\n"
    "Vendor_Name = \"V\"\nModel_Name = \"M\"\nIdent_Number = 0x1234\nModular_Station = 1\n"
    "Module = \"8 DI 24V\" 0x10\nEndModule\n"
    "Module = \"4 DO\" 0x20\nEndModule\n"
    "Unit_Diag_Bit(8) = \"Supply missing\"\n"
    "Unit_Diag_Area = 16-18\nValue(1) = \"Internal error\"\nUnit_Diag_Area_End\n"
    "Channel_Diag(16) = \"Fuse blown\"\n";

struct Slave {
    GsdDevice Device;
    GsdSlaveMatch Match;
    DpBytes Cfg;
};

// The device above with the configuration cfg.
void MatchSlave(Slave& slave, const std::vector<std::uint8_t>& cfg) {
    ASSERT_TRUE(ReadGsdText(kDevice, "t.gsd", slave.Device).IsOk());
    SetBytes(slave.Cfg, cfg);
    const GsdDevice* const devices[] = {&slave.Device};
    slave.Match.Choice = ChooseGsdDevice(devices, cfg, std::nullopt);
    slave.Match.Device = slave.Match.Choice.Device;
    slave.Match.CfgSeen = true;
}

TEST(GsdWords, DiagnosisBlocksTakeTheDeviceNames) {
    Slave slave;
    MatchSlave(slave, {0x10, 0x20, 0x10});
    const std::vector<std::uint8_t> standard = {0x08, 0x0C, 0x00, 0x01, 0x12, 0x34};
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> Ext;
        const char* Words;  // after "Ext_Diag, WD_On; "
        bool Dpv1 = false;
    };
    const Case cases[] = {
        {"identifier", {0x42, 0x05}, "identifier: module 0 '8 DI 24V', module 2 '8 DI 24V'"},
        {"channel", {0x82, 0x41, 0x21}, "module 2 '8 DI 24V' channel 1 input: short circuit"},
        {"manufacturer channel error", {0x81, 0x80, 0x30}, "module 1 '4 DO' channel 0 output: Fuse blown"},
        {"no text, no slot", {0x85, 0x80, 0x31}, "module 5 channel 0 output: manufacturer specific"},
        {"bit and area", {0x04, 0x00, 0x01, 0x03}, "device block 04000103: Supply missing, bits 16-18 = 3"},
        {"area value named", {0x04, 0x00, 0x00, 0x01}, "device block 04000001: Internal error"},
        {"bits by place", {0x42, 0x01, 0x04, 0x00, 0x00, 0x03},
         "identifier: module 0 '8 DI 24V'; device block 04000003: bits 16-18 = 3"},
        {"nothing applies", {0x03, 0x00, 0x00}, "device block 030000"},
        {"DP-V1 alarm: no unit texts", {0x05, 0x01, 0x03, 0x01, 0x07}, "diagnosis alarm slot 3 appears, sequence 0",
         true},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> diag = standard;
        diag.insert(diag.end(), c.Ext.begin(), c.Ext.end());
        EXPECT_EQ(DiagWords(diag, c.Dpv1, std::nullopt, GsdDiagNames(slave.Match)), std::string("Ext_Diag, WD_On; ") + c.Words)
            << c.Name;
    }
}

TEST(GsdWords, ModulesBySlotOrTheBytesNoModuleMatches) {
    struct Case {
        std::vector<std::uint8_t> Cfg;
        const char* Words;
    };
    const Case cases[] = {
        {{0x10, 0x20, 0x10}, "slot 0: '8 DI 24V' (1/0 bytes), slot 1: '4 DO' (0/1 bytes), slot 2: '8 DI 24V' (1/0 bytes)"},
        {{0x10, 0x00, 0x13, 0x21},
         "slot 0: '8 DI 24V' (1/0 bytes), slot 1: empty slot, slot 2: no GSD module matches bytes 2-3 (0x13 0x21)"},
        {{0x21, 0x20}, "slot 0: no GSD module matches byte 0 (0x21), slot 1: '4 DO' (0/1 bytes)"},
        {{}, "none"},
    };
    for (const Case& c : cases) {
        Slave slave;
        MatchSlave(slave, c.Cfg);
        EXPECT_EQ(GsdModulesWords(slave.Match, slave.Cfg, ", "), c.Words);
    }
}

TEST(GsdWords, SlowAnswersCountThoseBeyondTheLimit) {
    // At 12 Mbit/s 150 bit times are 12,500 ns.
    struct Case {
        const char* Name;
        std::vector<std::int64_t> Ns;
        std::uint64_t Slow;
    };
    const Case cases[] = {
        {"none", {}, 0},
        {"all within", {9'000, 12'000, 12'400}, 0},
        {"at the limit", {12'500}, 0},
        {"all beyond", {13'000, 13'000, 20'000}, 3},
        {"some beyond", {10'000, 13'000, 14'000, 100}, 2},
        {"just beyond, in the limit's bucket", {12'000, 12'501}, 1},
    };
    for (const Case& c : cases) {
        DurationStats response;
        for (std::int64_t ns : c.Ns) AddDuration(response, ns);
        EXPECT_EQ(SlowAnswerCount(response, 150, 12'000'000), c.Slow) << c.Name;
    }
}


// A head whose modules share identifier bytes: "2DO A" and "2DO B" have the
// same constant parameter byte, "2AO" another one; one device parameter.
constexpr const char kHead[] =
    "#Profibus_DP\nVendor_Name = \"V\"\nModel_Name = \"Head\"\nIdent_Number = 0x0D51\nModular_Station = 1\n"
    "PrmText = 1\nText(0) = \"off\"\nText(1) = \"on\"\nEndPrmText\n"
    "ExtUserPrmData = 1 \"Diagnosis\"\nBit(0) 1 0-1\nPrm_Text_Ref = 1\nEndExtUserPrmData\n"
    "ExtUserPrmData = 2 \"Input delay\"\nBitArea(0-3) 3 0-15\nEndExtUserPrmData\n"
    "Ext_User_Prm_Data_Const(0) = 0x01\nExt_User_Prm_Data_Ref(0) = 1\n"
    "Module = \"2DI\" 0x10\nExt_Module_Prm_Data_Len = 2\nExt_User_Prm_Data_Const(0) = 0x34,0x03\n"
    "Ext_User_Prm_Data_Ref(1) = 2\nEndModule\n"
    "Module = \"2DO A\" 0x20\nExt_Module_Prm_Data_Len = 1\nExt_User_Prm_Data_Const(0) = 0x31\nEndModule\n"
    "Module = \"2DO B\" 0x20\nExt_Module_Prm_Data_Len = 1\nExt_User_Prm_Data_Const(0) = 0x31\nEndModule\n"
    "Module = \"2AO\" 0x20\nExt_Module_Prm_Data_Len = 1\nExt_User_Prm_Data_Const(0) = 0x32\nEndModule\n";

struct HeadCase {
    const char* Name;
    std::vector<std::uint8_t> Cfg;
    std::optional<std::vector<std::uint8_t>> User;    // Set_Prm from byte 7 on; none: no Set_Prm
    std::optional<std::vector<std::uint8_t>> Slave;   // the Get_Cfg answer; none: no Get_Cfg
    const char* Modules;                              // the text report's lines on the slave
    const char* Parameters;
    const char* Configuration;                        // empty: no such line
    const char* Basis;                                // the JSON's gsd.basis
};

// A slave of the head above run through the analysis, matched and reported:
// the text section's lines and the JSON's keys for the same slave.
TEST(GsdWords, SlavesIdentifiedByParameterBytesInTheReports) {
    const HeadCase cases[] = {
        {"one module, one of two",
         {0x10, 0x20},
         std::vector<std::uint8_t>{0x01, 0x34, 0x05, 0x31},
         std::nullopt,
         "modules, by configuration and parameter bytes: slot 0: '2DI' (1/0 bytes), slot 1: one of 2: 2DO A, 2DO B "
         "(0/1 bytes)",
         "parameters: 1 set, 1 at their default: slot 0: Input delay = 5",
         "",
         "parameters"},
        {"told apart by the constant byte",
         {0x20},
         std::vector<std::uint8_t>{0x00, 0x32},
         std::vector<std::uint8_t>{0x20},
         "modules, by configuration and parameter bytes: slot 0: '2AO' (0/1 bytes)",
         "parameters: 1 set, 0 at their default: Diagnosis = 0 (off)",
         "the master's configuration matches the slave's",
         "parameters"},
        {"no Set_Prm",
         {0x10, 0x20},
         std::nullopt,
         std::nullopt,
         "modules, by configuration bytes only: slot 0: '2DI' (1/0 bytes), slot 1: one of 3: 2DO A, 2DO B, 2AO "
         "(0/1 bytes)",
         "parameters: no Set_Prm",
         "",
         "configuration_only"},
        {"no split fits the parameter bytes",
         {0x10, 0x20},
         std::vector<std::uint8_t>{0x01, 0x35, 0x03, 0x31},
         std::vector<std::uint8_t>{0x10, 0x21},
         "modules, by configuration bytes, the parameter bytes fit no module of this file from slot 0 on: slot 0: "
         "'2DI' (1/0 bytes), slot 1: one of 3: 2DO A, 2DO B, 2AO (0/1 bytes)",
         "parameters: 0 set, 1 at their default",
         "the master's configuration differs from the slave's from slot 1 on: master 0x20, slave 0x21",
         "parameters_unfit"},
        {"the differing slot named on both sides",
         {0x20},
         std::vector<std::uint8_t>{0x01, 0x32},
         std::vector<std::uint8_t>{0x10},
         "modules, by configuration and parameter bytes: slot 0: '2AO' (0/1 bytes)",
         "parameters: 0 set, 1 at their default",
         "the master's configuration differs from the slave's from slot 0 on: master 0x20 '2AO', slave 0x10 '2DI'",
         "parameters"},
    };
    GsdLibrary library;
    library.Devices.emplace_back();
    ASSERT_TRUE(ReadGsdText(kHead, "head.gsd", library.Devices.back()).IsOk());
    constexpr std::uint8_t kMaster = 1, kSlave = 5;
    for (const HeadCase& c : cases) {
        SCOPED_TRACE(c.Name);
        test::Timeline t;
        t.Add(test::SapRequest(kMaster, kSlave, 60, {}));
        t.Add(test::SapAnswer(kMaster, kSlave, 60, test::Diagnosis(0x02, 0x05, 0xFF, 0x0D51)));
        if (c.User) {
            std::vector<std::uint8_t> prm = test::Parameters(1, 100, 0x0D51);
            prm.insert(prm.end(), c.User->begin(), c.User->end());
            t.Add(test::SapRequest(kMaster, kSlave, 61, prm));
            t.Add(test::ShortAck());
        }
        t.Add(test::SapRequest(kMaster, kSlave, 62, c.Cfg));
        t.Add(test::ShortAck());
        if (c.Slave) {
            t.Add(test::SapRequest(kMaster, kSlave, 59, {}));
            t.Add(test::SapAnswer(kMaster, kSlave, 59, *c.Slave));
        }
        t.Add(test::Token(kMaster, kMaster));
        const std::unique_ptr<BusStats> stats = test::AnalyseFrames(t.Frames);
        const GsdMatches matches = MatchGsdDevices(library, true, *stats);
        const std::string text = GsdSlavesSection(*stats, matches);
        EXPECT_NE(text.find("    " + std::string(c.Modules) + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("    " + std::string(c.Parameters) + "\n"), std::string::npos) << text;
        const std::string configuration = "    configuration: " + std::string(c.Configuration) + "\n";
        EXPECT_EQ(text.find(configuration) != std::string::npos, *c.Configuration != '\0') << text;

        const ReportDocument doc = BuildReportDocument(*stats, matches);
        const ReportDocument* station = nullptr;
        for (const ReportDocument& s : doc["stations"])
            if (s["address"] == kSlave) station = &s;
        ASSERT_NE(station, nullptr);
        const ReportDocument& gsd = (*station)["gsd"];
        EXPECT_EQ(gsd["basis"], c.Basis);
        ASSERT_EQ(gsd["modules"].size(), c.Cfg.size());
        for (const ReportDocument& module : gsd["modules"])
            EXPECT_EQ(module["name"].is_string(), module["candidates"].size() == 1) << module;
        // Every parameter with its default, whether it differs or not.
        if (c.User) {
            ASSERT_FALSE(gsd["prm"].empty());
            for (const ReportDocument& prm : gsd["prm"]) EXPECT_TRUE(prm["default"].is_number()) << prm;
        }
        const ReportDocument& cfg = (*station)["dp"]["cfg"];
        EXPECT_EQ(cfg["slave_hex"].is_string(), c.Slave.has_value());
        if (c.Slave) {
            EXPECT_EQ(cfg["matches"], *c.Slave == c.Cfg);
        }
    }
}

}  // namespace
}  // namespace zelmot
