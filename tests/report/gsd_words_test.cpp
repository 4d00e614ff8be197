// A slave's device file in the report's words: diagnoses named by module
// slot, Channel_Diag and unit diagnosis texts attached to the device block
// their bits lie in, the module split of a configuration, and the count of
// answers slower than MaxTsdr read from the response-time buckets.
#include <gtest/gtest.h>

#include <vector>

#include "analysis/bus_collector.h"
#include "gsd/gsd_reader.h"
#include "report/gsd_words.h"

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

}  // namespace
}  // namespace zelmot
