// Modules identified by identifier and parameter bytes: one table over a
// modular head whose modules share identifier bytes and differ in their
// constant parameter bytes (a unique match, an ambiguous one, none, no
// Set_Prm, and the ways the parameter bytes can fail to fit), the choice
// among revisions of one device, and the parameters named from the
// identification and held against their defaults.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "gsd/gsd_identify.h"
#include "gsd/gsd_user_params.h"
#include "gsd/gsd_words.h"
#include "gsd_test_util.h"

namespace zelmot {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A DP-V1 head: the three DP-V1 status bytes and one device parameter
// (4 bytes of device part); a head module and a power module that both
// show 0x00; input modules 0x10 told apart by their first constant byte,
// with a parameter in the bits of their third; four look-alike outputs; and
// a module of two identifiers beside one module for each of them.
const std::string kHead =
    "Ident_Number = 0x0D50\nDPV1_Slave = 1\n"
    "ExtUserPrmData = 1 \"Diagnosis\"\nBit(0) 0 0-1\nEndExtUserPrmData\n"
    "ExtUserPrmData = 2 \"Input delay\"\nBitArea(0-3) 3 0-15\nEndExtUserPrmData\n"
    "Ext_User_Prm_Data_Const(0) = 0x80,0x00,0x00,0x00\nExt_User_Prm_Data_Ref(3) = 1\n"
    "Module = \"Head\" 0x00\nEndModule\n"
    "Module = \"Power 24V\" 0x00\nExt_Module_Prm_Data_Len = 2\nExt_User_Prm_Data_Const(0) = 0x70,0x00\nEndModule\n"
    "Module = \"2DI 24V\" 0x10\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x34,0x01,0x03\n"
    "Ext_User_Prm_Data_Ref(2) = 2\nEndModule\n"
    "Module = \"2DI 120V\" 0x10\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x35,0x01,0x03\n"
    "Ext_User_Prm_Data_Ref(2) = 2\nEndModule\n"
    "Module = \"2DO A\" 0x20\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x31,0x01,0x00\nEndModule\n"
    "Module = \"2DO B\" 0x20\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x31,0x01,0x00\nEndModule\n"
    "Module = \"2DO C\" 0x20\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x31,0x01,0x00\nEndModule\n"
    "Module = \"2DO D\" 0x20\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x31,0x01,0x00\nEndModule\n"
    "Module = \"8DI\" 0x11\nExt_Module_Prm_Data_Len = 1\nExt_User_Prm_Data_Const(0) = 0x36\nEndModule\n"
    "Module = \"8DI+8DO\" 0x11,0x21\nExt_Module_Prm_Data_Len = 1\nExt_User_Prm_Data_Const(0) = 0x37\nEndModule\n"
    "Module = \"8DO\" 0x21\nExt_Module_Prm_Data_Len = 1\nExt_User_Prm_Data_Const(0) = 0x38\nEndModule\n";

const GsdDevice& Head() {
    static const GsdDevice device = test::ReadGsdBody(kHead);
    return device;
}

// Sixty-three slots of thirty look-alike modules each.
const GsdDevice& LookAlikes() {
    static const GsdDevice device = [] {
        std::string body = "Ext_User_Prm_Data_Const(0) = 0x00\n";
        for (int m = 0; m < 30; ++m)
            body += "Module = \"DI " + std::to_string(m) +
                    "\" 0x10\nExt_Module_Prm_Data_Len = 2\nExt_User_Prm_Data_Const(0) = 0x01,0x02\nEndModule\n";
        return test::ReadGsdBody(body);
    }();
    return device;
}

// Modules of one and of three 0x00 identifiers: 00 00 00 00 splits into two
// slots either way round.
const GsdDevice& Zeros() {
    static const GsdDevice device =
        test::ReadGsdBody("Module = \"Triple\" 0x00,0x00,0x00\nEndModule\nModule = \"Single\" 0x00\nEndModule\n");
    return device;
}

const Bytes kDevicePart = {0x80, 0x00, 0x00, 0x01};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The basis, then per slot its module words ("?" bytes no module matches,
// "empty" an empty slot) and "@n" where its parameter bytes begin.
std::string Describe(const GsdDevice& device, const GsdIdentification& id) {
    std::string text = GsdBasisWords(id);
    for (const GsdSlotId& slot : id.Slots) {
        const std::string words = GsdCandidatesWords(device, slot);
        text += " | " + (slot.EmptySlot ? "empty" : words.empty() ? "?" : words);
        if (slot.PrmOffset) text += " @" + std::to_string(*slot.PrmOffset);
    }
    return text;
}

struct IdCase {
    const char* name;
    const GsdDevice& (*device)();
    Bytes cfg;
    std::optional<Bytes> user;  // the Set_Prm from byte 7 on; none: no Set_Prm
    std::string identified;
};

void PrintTo(const IdCase& c, std::ostream* os) { *os << c.name; }

class IdentifiesModules : public ::testing::TestWithParam<IdCase> {};

TEST_P(IdentifiesModules, ByIdentifierAndParameterBytes) {
    const IdCase& c = GetParam();
    std::optional<std::span<const std::uint8_t>> user;
    if (c.user) user = *c.user;
    EXPECT_EQ(Describe(c.device(), IdentifyGsdModules(c.device(), c.cfg, user)), c.identified);
}

const std::string kSixtyThreeLookAlikes = [] {
    std::string text = "by configuration and parameter bytes";
    for (int s = 0; s < 63; ++s) text += " | one of 30: DI 0, DI 1, DI 2";
    return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Identification, IdentifiesModules,
    ::testing::Values(
        // The parameter bits of the input delay (byte 2, bits 0-3) are set
        // otherwise than the constant 0x03: the module still fits.
        IdCase{"UniqueByParameterBytes", Head, {0x00, 0x10, 0x20},
               Join({kDevicePart, {0x35, 0x01, 0x0F}, {0x31, 0x01, 0x00}}),
               "by configuration and parameter bytes | Head @4 | 2DI 120V @4 | one of 4: 2DO A, 2DO B, 2DO C"},
        IdCase{"TheSameIdentifierTwiceTakesTheParameterBytes", Head, {0x00, 0x10, 0x00},
               Join({kDevicePart, {0x34, 0x01, 0x03}, {0x70, 0x00}}),
               "by configuration and parameter bytes | Head @4 | 2DI 24V @4 | Power 24V @7"},
        // A module without parameter bytes cannot be placed by them.
        IdCase{"ModulesWithoutParameterBytesStayOpen", Head, {0x00, 0x00, 0x10},
               Join({kDevicePart, {0x70, 0x00}, {0x34, 0x01, 0x03}}),
               "by configuration and parameter bytes | one of 2: Head, Power 24V | one of 2: Head, Power 24V | "
               "2DI 24V @6"},
        IdCase{"ParameterBytesFitNoModule", Head, {0x00, 0x10, 0x10},
               Join({kDevicePart, {0x34, 0x01, 0x03}, {0x99, 0x01, 0x03}}),
               "by configuration bytes, the parameter bytes fit no module of this file from slot 2 on | "
               "one of 2: Head, Power 24V | one of 2: 2DI 24V, 2DI 120V | one of 2: 2DI 24V, 2DI 120V"},
        IdCase{"ParameterBytesLeftOver", Head, {0x10}, Join({kDevicePart, {0x34, 0x01, 0x03, 0xEE}}),
               "by configuration bytes, 1 parameter byte left after the last slot | one of 2: 2DI 24V, 2DI 120V"},
        IdCase{"ParameterBytesEndInTheDevicePart", Head, {0x10}, Bytes{0x80, 0x00},
               "by configuration bytes, the parameter bytes end inside the device part (4 bytes) | "
               "one of 2: 2DI 24V, 2DI 120V"},
        IdCase{"NoSetPrm", Head, {0x00, 0x10, 0x20}, std::nullopt,
               "by configuration bytes only | one of 2: Head, Power 24V | one of 2: 2DI 24V, 2DI 120V | "
               "one of 4: 2DO A, 2DO B, 2DO C"},
        IdCase{"LongerModuleByItsParameterBytes", Head, {0x11, 0x21}, Join({kDevicePart, {0x37}}),
               "by configuration and parameter bytes | 8DI+8DO @4"},
        IdCase{"ShorterModulesByTheirParameterBytes", Head, {0x11, 0x21}, Join({kDevicePart, {0x36, 0x38}}),
               "by configuration and parameter bytes | 8DI @4 | 8DO @5"},
        IdCase{"FewestSlotsByIdentifiersAlone", Head, {0x11, 0x21}, std::nullopt,
               "by configuration bytes only | 8DI+8DO"},
        IdCase{"IdentifierBytesNoModuleMatches", Head, {0x10, 0x13, 0x00}, std::nullopt,
               "by configuration bytes only, with bytes no module matches | one of 2: 2DI 24V, 2DI 120V | ? | "
               "one of 2: Head, Power 24V"},
        IdCase{"NothingConfigured", Head, {}, kDevicePart, "by configuration and parameter bytes"},
        // Splits bounded differently: the one taking the module listed first.
        IdCase{"SlotsBoundedAsTheFirstListedModuleTakesThem", Zeros, {0x00, 0x00, 0x00, 0x00}, std::nullopt,
               "by configuration bytes only | Triple | Single"},
        IdCase{"SixtyThreeSlotsOfLookAlikes", LookAlikes, Bytes(63, 0x10),
               [] {
                   Bytes user{0x00};
                   for (int s = 0; s < 63; ++s) user.insert(user.end(), {0x01, 0x02});
                   return user;
               }(),
               kSixtyThreeLookAlikes}),
    [](const ::testing::TestParamInfo<IdCase>& param) { return std::string(param.param.name); });

TEST(ChooseGsdDevice, PrefersTheRevisionWhoseModulesFit) {
    const GsdDevice older = test::ReadGsdBody(
        "Ident_Number = 0x0D50\nExt_User_Prm_Data_Const(0) = 0x80,0x00,0x00,0x00\n"
        "Module = \"2DI old\" 0x10\nExt_Module_Prm_Data_Len = 3\nExt_User_Prm_Data_Const(0) = 0x30,0x01,0x03\nEndModule\n");
    const GsdDevice& newer = Head();
    const std::vector<const GsdDevice*> both = {&older, &newer};
    const Bytes cfg = {0x10};
    const Bytes user = Join({kDevicePart, {0x34, 0x01, 0x03}});

    GsdChoice choice = ChooseGsdDevice(both, cfg, std::span<const std::uint8_t>(user));
    EXPECT_EQ(choice.Device, &newer);
    EXPECT_EQ(GsdChoiceWords(choice), "chosen of 2 GSD files with this ident: its modules fit");
    EXPECT_EQ(Describe(newer, choice.Identification), "by configuration and parameter bytes | 2DI 24V @4");

    // Without parameter bytes both split the identifiers: the first read stays.
    choice = ChooseGsdDevice(both, cfg, std::nullopt);
    EXPECT_EQ(choice.Device, &older);
    EXPECT_EQ(GsdChoiceWords(choice), "first of 2 GSD files with this ident: no other fits better");
    EXPECT_EQ(ChooseGsdDevice(std::vector<const GsdDevice*>{&newer}, cfg, std::nullopt).Candidates, 1u);
    EXPECT_EQ(ChooseGsdDevice({}, cfg, std::nullopt).Device, nullptr);
}

TEST(NameIdentifiedParameters, OnlyWhereTheModuleIsKnownAndAgainstTheDefaults) {
    const Bytes cfg = {0x00, 0x10, 0x10};
    const Bytes user = Join({kDevicePart, {0x34, 0x01, 0x05}, {0x35, 0x01, 0x03}});
    const GsdIdentification id = IdentifyGsdModules(Head(), cfg, std::span<const std::uint8_t>(user));
    ASSERT_EQ(id.Basis, GsdIdBasis::Parameters);
    const std::vector<GsdParamValue> values = NameIdentifiedParameters(Head(), user, id);
    std::string text;
    for (const GsdParamValue& v : values)
        text += (v.Slot ? "[" + std::to_string(*v.Slot) + "] " : "") + v.Name + "=" + std::to_string(v.Value) + "/" +
                std::to_string(v.Default) + " ";
    EXPECT_EQ(text, "Diagnosis=1/0 [1] Input delay=5/3 [2] Input delay=3/3 ");
    EXPECT_EQ(GsdParamCountWords(SummariseGsdParams(values)), "2 set, 1 at their default");

    // Ambiguous slots name no parameters; a value the Set_Prm lacks is not read.
    const GsdIdentification open = IdentifyGsdModules(Head(), cfg, std::nullopt);
    EXPECT_EQ(NameIdentifiedParameters(Head(), user, open).size(), 1u);
    const std::vector<GsdParamValue> cut = NameIdentifiedParameters(Head(), Bytes{0x80, 0x00}, id);
    EXPECT_EQ(GsdParamCountWords(SummariseGsdParams(cut)), "0 set, 0 at their default, 3 not read");
}

}  // namespace
}  // namespace zelmot
