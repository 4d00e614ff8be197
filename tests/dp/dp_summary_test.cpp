// The summaries of diagnosis blocks and configurations: a 64-slot module
// status block with two bad slots against the configured slots, a real
// head's all-OK module status block sent by a DP-V0 slave, the modules an
// identifier block flags, and the slave's Get_Cfg against the master's
// Chk_Cfg, equal and different.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dp/dp_cfg.h"
#include "dp/dp_cfg_compare.h"
#include "dp/dp_codes.h"
#include "dp/dp_status_summary.h"

namespace zelmot::dp {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 64 module states, all OK but those given.
Bytes States(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bad, std::size_t bytes = 16) {
    Bytes states(bytes, 0x00);
    for (const auto& [slot, state] : bad) states[slot / 4] |= static_cast<std::uint8_t>(state << (2 * (slot % 4)));
    return states;
}

TEST(ModuleStatusSummary, OnlyTheSlotsNotOk) {
    const struct {
        Bytes states;
        std::optional<std::size_t> configured;
        std::string words;
    } cases[] = {
        {States({{3, 2}, {5, 3}}), 63, "slot 3: wrong module, slot 5: no module; the other 61 OK"},
        {States({{3, 2}, {5, 3}}), std::nullopt, "slot 3: wrong module, slot 5: no module; the other 62 OK"},
        {States({}), 3, "all 3 modules OK"},
        {States({}), std::nullopt, "all 64 modules OK"},
        {States({}), 1, "1 module OK"},
        {States({{40, 1}}), 3, "all 3 modules OK; slot 40: fault (beyond the configuration)"},
        {States({{1, 1}, {40, 3}}), 3, "slot 1: fault, slot 40: no module (beyond the configuration); the other 2 OK"},
        {States({{0, 1}, {1, 1}}), 2, "slot 0: fault, slot 1: fault"},
        {States({}, 4), 20, "all 16 modules OK; slots 16-19 not in the block"},
        {States({}, 4), 17, "all 16 modules OK; slot 16 not in the block"},
        {Bytes{}, std::nullopt, "no module"},
    };
    for (const auto& c : cases) EXPECT_EQ(ModuleStatusSummaryWords(SummariseModuleStatus(c.states, c.configured)), c.words);

    const ModuleStatusSummary two = SummariseModuleStatus(States({{3, 2}, {5, 3}}), 63);
    EXPECT_EQ(two.Slots, 63u);
    EXPECT_EQ(two.Ok, 61u);
    EXPECT_EQ(two.NotOk, (std::vector<SlotState>{{3, 2, false}, {5, 3, false}}));
}

// A head with three modules (Chk_Cfg 00 10 10) answers a 35-byte diagnosis:
// the standard bytes, an identifier block of 64 bits that flags nothing and
// a module status block of 64 modules, all OK, whatever its DP-V1 mode.
TEST(ModuleStatusSummary, RealHeadAllOkInEitherMode) {
    Bytes diag = {0x08, 0x0C, 0x00, 0x02, 0x80, 0x1E, 0x49};
    diag.resize(15, 0x00);
    diag.insert(diag.end(), {0x14, 0x82, 0x00, 0x00});
    diag.resize(35, 0x00);
    const std::size_t configured = CountCfgIdentifiers(Bytes{0x00, 0x10, 0x10});
    ASSERT_EQ(configured, 3u);
    const DiagBlock identifier = DecodeDiagBlock(diag, kDiagHeaderSize, false);
    EXPECT_TRUE(FlaggedModules(identifier.Content, configured).empty());
    for (bool dpv1 : {false, true}) {
        const DiagBlock block = DecodeDiagBlock(diag, identifier.Next, dpv1);
        ASSERT_EQ(block.Kind, DiagBlockKind::Status) << dpv1;
        EXPECT_EQ(block.Dpv0Layout, !dpv1);
        EXPECT_EQ(block.Next, diag.size());
        EXPECT_EQ(ModuleStatusBlockWords(block, configured),
                  std::string(dpv1 ? "module status" : "module status, DP-V1 layout,") + " slot 0 none: all 3 modules OK");
    }
}

TEST(FlaggedModules, MarksThoseBeyondTheConfiguration) {
    EXPECT_EQ(FlaggedModules(Bytes{0x28, 0x00, 0x01}, 10),
              (std::vector<SlotState>{{3, 0, false}, {5, 0, false}, {16, 0, true}}));
    EXPECT_EQ(FlaggedModules(Bytes{0x01}, std::nullopt), (std::vector<SlotState>{{0, 0, false}}));
}

TEST(CompareCfg, GetCfgAgainstChkCfg) {
    const struct {
        Bytes master;
        Bytes slave;
        const char* masterName;
        const char* slaveName;
        std::string words;
    } cases[] = {
        {{0x00, 0x10, 0x10}, {0x00, 0x10, 0x10}, "", "", "the master's configuration matches the slave's"},
        {{}, {}, "", "", "the master's configuration matches the slave's"},
        {{0x00, 0x10, 0x10}, {0x00, 0x10, 0x20}, "", "",
         "the master's configuration differs from the slave's from slot 2 on: master 0x10, slave 0x20"},
        {{0x13, 0x21}, {0x13}, "2DI", "", "the master's configuration differs from the slave's from slot 1 on: "
                                          "master 0x21 '2DI', slave none"},
        {{0x42, 0x83, 0x11, 0x22, 0x10}, {0x42, 0x83, 0x11, 0x23, 0x10}, "AI 2", "AI 2 HF",
         "the master's configuration differs from the slave's from slot 0 on: master 0x42 0x83 0x11 0x22 'AI 2', "
         "slave 0x42 0x83 0x11 0x23 'AI 2 HF'"},
        {{0x10, 0x42, 0x83}, {0x10, 0x42, 0x83}, "", "", "the master's configuration matches the slave's"},
    };
    for (const auto& c : cases) {
        const CfgComparison comparison = CompareCfg(c.master, c.slave);
        EXPECT_EQ(CfgComparisonWords(comparison, c.master, c.slave, c.masterName, c.slaveName), c.words);
        EXPECT_EQ(comparison.Matches, c.master == c.slave);
    }
}

}  // namespace
}  // namespace zelmot::dp
