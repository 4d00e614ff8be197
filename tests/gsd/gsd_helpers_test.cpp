// The helpers over read devices: module split of identifier bytes, user
// parameter names and values, diagnosis texts, MaxTsdr by capture baud,
// and reading a file or a folder of device files.
#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <string>
#include <vector>

#include "capture/frame_timing.h"
#include "gsd/gsd_baud.h"
#include "gsd/gsd_diag_texts.h"
#include "gsd/gsd_library.h"
#include "gsd/gsd_user_params.h"
#include "gsd_test_util.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using Bytes = std::vector<std::uint8_t>;

const GsdDevice& Compact() {
    static const GsdDevice device = test::ReadGsdData("compact_io.gsd");
    return device;
}

const GsdDevice& Modular() {
    static const GsdDevice device = test::ReadGsdData("modular_io.gsd");
    return device;
}

// Modules whose byte strings overlap, and a reference to no definition.
const GsdDevice& Overlapping() {
    static const GsdDevice device = test::ReadGsdBody(
        "Module = \"A\" 0x10\nEndModule\nModule = \"AB\" 0x10,0x21\nEndModule\nModule = \"C\" 0x21\nEndModule\n"
        "Module = \"X\" 0x30\nEndModule\nModule = \"Y\" 0x30\nEndModule\nExt_User_Prm_Data_Ref(0) = 99\n");
    return device;
}

// "name[first-last]" per slot; "?" for bytes no module matches, "empty" for
// a lone 0x00.
std::string DescribeSlots(const GsdDevice& device, const std::vector<GsdSlot>& slots) {
    std::string text;
    for (const GsdSlot& slot : slots) {
        if (!text.empty()) text += ' ';
        text += slot.Module ? device.Modules[*slot.Module].Name : slot.EmptySlot ? "empty" : "?";
        text += "[" + std::to_string(slot.Offset);
        if (slot.Count > 1) text += "-" + std::to_string(slot.Offset + slot.Count - 1);
        text += "]";
    }
    return text;
}

struct MatchCase {
    const char* name;
    const GsdDevice& (*device)();
    Bytes identifiers;
    std::string slots;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }

class MatchesModules : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchesModules, InSlotOrder) {
    const GsdDevice& device = GetParam().device();
    EXPECT_EQ(DescribeSlots(device, MatchGsdModules(device, GetParam().identifiers)), GetParam().slots);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, MatchesModules,
    ::testing::Values(
        MatchCase{"CompactWhole", Compact, {0x10, 0x21}, "1 byte in, 2 bytes out[0-1]"},
        MatchCase{"CompactShort", Compact, {0x10}, "?[0]"},
        MatchCase{"CompactTrailingBytes", Compact, {0x10, 0x21, 0x00, 0x13}, "1 byte in, 2 bytes out[0-1] empty[2] ?[3]"},
        MatchCase{"ModularGenerated", Modular, {0x1F, 0x1F, 0x29}, "16 bytes in[0] 16 bytes in[1] 10 bytes out[2]"},
        MatchCase{"ModularGap", Modular, {0x1F, 0x13, 0x21, 0x29}, "16 bytes in[0] ?[1-2] 10 bytes out[3]"},
        MatchCase{"ModuleNamesTheEmptySlot", Modular, {0x00, 0x51}, "Empty slot[0] Analog in 2 channels[1]"},
        MatchCase{"Nothing", Modular, {}, ""},
        MatchCase{"LongestModule", Overlapping, {0x10, 0x21}, "AB[0-1]"},
        MatchCase{"SearchNotGreedy", Overlapping, {0x10, 0x10, 0x21, 0x21}, "A[0] AB[1-2] C[3]"},
        MatchCase{"FirstOfEqualModules", Overlapping, {0x30}, "X[0]"}),
    [](const ::testing::TestParamInfo<MatchCase>& param) { return std::string(param.param.name); });

// "name=value (text)" per parameter, "[slot]" before a module's, "?" for a
// value beyond the bytes, "#n" for an unknown definition.
std::string DescribeParams(const std::vector<GsdParamValue>& values) {
    std::string text;
    for (const GsdParamValue& v : values) {
        if (!text.empty()) text += "; ";
        if (v.Slot) text += "[" + std::to_string(*v.Slot) + "] ";
        text += v.Known ? v.Name : "#" + std::to_string(v.Definition);
        text += "=" + (v.Present ? std::to_string(v.Value) : std::string("?"));
        if (v.Text) text += " (" + *v.Text + ")";
    }
    return text;
}

struct ParamCase {
    const char* name;
    const GsdDevice& (*device)();
    Bytes identifiers;
    Bytes userBytes;
    std::string values;
};

void PrintTo(const ParamCase& c, std::ostream* os) { *os << c.name; }

class NamesParameters : public ::testing::TestWithParam<ParamCase> {};

TEST_P(NamesParameters, WithValuesAndTexts) {
    const GsdDevice& device = GetParam().device();
    const std::vector<GsdSlot> slots = MatchGsdModules(device, GetParam().identifiers);
    EXPECT_EQ(DescribeParams(NameGsdUserParameters(device, GetParam().userBytes, slots)), GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, NamesParameters,
    ::testing::Values(
        ParamCase{"CompactGenerated", Compact, {0x10, 0x21}, {0, 0, 0},
                  "Input inversion=0 (off); Input filter=0 (3 ms); Output hold time=0"},
        ParamCase{"CompactSet", Compact, {0x10, 0x21}, {0x81, 0x01, 0xF4},
                  "Input inversion=1 (on); Input filter=1 (10 ms); Output hold time=500"},
        ParamCase{"CompactShort", Compact, {0x10, 0x21}, {0x02, 0x01},
                  "Input inversion=0 (off); Input filter=2 (30 ms); Output hold time=?"},
        ParamCase{"ModularWithModuleBlock", Modular, {0x1F, 0x51}, {0x80, 0, 0, 0xFF, 0x38, 0x02, 0x0A},
                  "Warning limit=-200; [1] Measuring range=2 (4-20 mA); [1] Filter time=10"},
        ParamCase{"ModularModuleBlockMissing", Modular, {0x51}, {0x80},
                  "Warning limit=?; [0] Measuring range=?; [0] Filter time=?"},
        ParamCase{"UnknownDefinition", Overlapping, {}, {0x05}, "#99=?"}),
    [](const ::testing::TestParamInfo<ParamCase>& param) { return std::string(param.param.name); });

std::string DescribeDiag(const std::vector<GsdDiagText>& texts) {
    std::string text;
    for (const GsdDiagText& t : texts) {
        if (!text.empty()) text += "; ";
        text += t.IsArea ? "bits " + std::to_string(t.FirstBit) + "-" + std::to_string(t.LastBit) + "=" +
                               std::to_string(t.Value)
                         : "bit " + std::to_string(t.FirstBit);
        if (!t.Text.empty()) text += " " + t.Text;
    }
    return text;
}

TEST(GsdUnitDiagTexts, BitsAndAreasInsideTheBytes) {
    const struct {
        const GsdDevice& device;
        Bytes extended;
        std::string texts;
    } cases[] = {
        {Compact(), {0x03, 0x00, 0x00}, "bit 15 Load voltage missing; bits 16-18=0 No fault"},
        {Compact(), {0x03, 0x83, 0x05},
         "bit 8 Sensor supply short circuit; bit 9 Output overload; bits 16-18=5 Watchdog expired"},
        {Compact(), {0x03, 0x80, 0xFB}, "bits 16-18=3"},
        {Compact(), {0x03, 0x01}, "bit 8 Sensor supply short circuit; bit 15 Load voltage missing"},
        {Compact(), {}, ""},
        {Modular(), {0x00, 0x00, 0x00, 0x00}, ""},
        {Modular(), {0x00, 0x00, 0x00, 0x02}, "bits 24-27=2 Module pulled"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeDiag(GsdUnitDiagTexts(c.device, c.extended)), c.texts) << c.texts;
    EXPECT_EQ(GsdChannelDiagText(Compact(), 16), "Fuse blown");
    EXPECT_EQ(GsdChannelDiagText(Compact(), 18), "");
    EXPECT_EQ(GsdChannelDiagText(Modular(), 20), "Calibration lost");
}

// A real head's module status block, sent as a DP-V0 device-related block:
// bits count from the byte after the header, so the file's areas over the
// module states (from bit 24, after type, slot and specifier) stay quiet
// while every module is OK, and name the one that is not.
TEST(GsdDeviceBlockTexts, CountBitsAfterTheHeader) {
    const GsdDevice head = test::ReadGsdBody(
        "Unit_Diag_Area = 24-25\nValue(1) = \"Slot 0: Module error\"\nUnit_Diag_Area_End\n"
        "Unit_Diag_Area = 26-27\nValue(1) = \"Slot 1: Module error\"\nUnit_Diag_Area_End\n"
        "Unit_Diag_Area = 28-29\nValue(1) = \"Slot 2: Module error\"\nUnit_Diag_Area_End\n"
        "Unit_Diag_Bit(7) = \"Status block\"\n");
    Bytes block = {0x14, 0x82, 0x00, 0x00};
    block.resize(20, 0x00);
    EXPECT_EQ(DescribeDiag(GsdDeviceBlockTexts(head, block)), "bit 7 Status block");
    block[4] = 0x04;  // slot 1: fault
    EXPECT_EQ(DescribeDiag(GsdDeviceBlockTexts(head, block)), "bit 7 Status block; bits 26-27=1 Slot 1: Module error");
    EXPECT_EQ(DescribeDiag(GsdDeviceBlockTexts(head, {})), "");
}

TEST(GsdMaxTsdr, ByCaptureBaudIndex) {
    for (std::uint16_t index = 0; index < 9; ++index)
        EXPECT_EQ(GsdBaudBitRate(*GsdBaudOfCaptureIndex(index)), BaudBitRate(index)) << "index " << index;
    EXPECT_EQ(GsdMaxTsdr(Compact(), 0), 60);
    EXPECT_EQ(GsdMaxTsdr(Compact(), 4), 100);
    EXPECT_EQ(GsdMaxTsdr(Compact(), 5), 150);
    EXPECT_EQ(GsdMaxTsdr(Compact(), 8), 800);
    EXPECT_EQ(GsdMaxTsdr(Compact(), 9), std::nullopt);
    EXPECT_EQ(GsdMaxTsdr(Modular(), 0), std::nullopt);
    EXPECT_EQ(GsdMaxTsdr(Modular(), 8), 1000);
}

TEST(ReadGsdLibrary, FolderInNameOrderFirstIdentKept) {
    test::TempDir dir;
    const auto device = [](int ident) { return "#Profibus_DP\nIdent_Number = " + std::to_string(ident) + "\n"; };
    test::WriteText(dir.Path("b.GSD"), device(1));
    test::WriteText(dir.Path("a.gse"), device(2));
    test::WriteText(dir.Path("c.gsx"), device(3));
    test::WriteText(dir.Path("d.gs"), device(4));
    test::WriteText(dir.Path("e.txt"), device(5));
    test::WriteText(dir.Path("f.gsd"), device(1));
    test::WriteText(dir.Path("g.gsd"), "Vendor_Name = \"x\"\n");
    test::WriteText(dir.Path("h.gsd"), "#Profibus_DP\n");
    std::filesystem::create_directory(dir.path() / "i.gsd");

    GsdLibrary library;
    ASSERT_TRUE(ReadGsdLibrary(dir.path().string(), library).IsOk());
    std::vector<std::uint16_t> idents;
    for (const GsdDevice& d : library.Devices) idents.push_back(*d.IdentNumber);
    EXPECT_EQ(idents, (std::vector<std::uint16_t>{2, 1, 3}));
    EXPECT_EQ(library.Warnings.Texts, (std::vector<std::string>{
                                          dir.Path("f.gsd") + ": Ident_Number 0x0001 already read from " +
                                              dir.Path("b.GSD") + ": not used",
                                          dir.Path("g.gsd") + ": not a GSD file (no #Profibus_DP line)",
                                          dir.Path("h.gsd") + ": no Ident_Number: not used"}));
    ASSERT_NE(FindGsdDevice(library, 3), nullptr);
    EXPECT_EQ(FindGsdDevice(library, 3)->SourceName, dir.Path("c.gsx"));
    EXPECT_EQ(FindGsdDevice(library, 4), nullptr);
    // The later file of ident 1 is kept as a revision of the first.
    const std::vector<const GsdDevice*> ones = FindGsdDevices(library, 1);
    ASSERT_EQ(ones.size(), 2u);
    EXPECT_EQ(ones[0]->SourceName, dir.Path("b.GSD"));
    EXPECT_EQ(ones[1]->SourceName, dir.Path("f.gsd"));
    EXPECT_EQ(FindGsdDevices(library, 3).size(), 1u);
    EXPECT_TRUE(FindGsdDevices(library, 4).empty());
    // A folder given as a file is refused as a file that cannot be opened.
    GsdDevice folder;
    EXPECT_EQ(ReadGsdFile(dir.Path("i.gsd"), folder).Text, dir.Path("i.gsd") + ": cannot open the GSD file");

    EXPECT_EQ(ReadGsdLibrary(dir.Path("g.gsd"), library).Text, dir.Path("g.gsd") + ": not a GSD file (no #Profibus_DP line)");
    EXPECT_EQ(ReadGsdLibrary(dir.Path("i.gsd"), library).Text,
              dir.Path("i.gsd") + ": no GSD files (*.gsd, *.gse, *.gs?) in the folder");
    ASSERT_TRUE(ReadGsdLibrary(test::GsdDataPath("modular_io.gsd"), library).IsOk());
    EXPECT_EQ(library.Devices.size(), 1u);
}

}  // namespace
}  // namespace zelmot
