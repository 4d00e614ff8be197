// The dissector's module status summaries against the DP library's: the
// block decoder and words run in a plain Lua interpreter (through
// tests/pcap/module_status_check.lua) on a table of diagnoses, and tshark
// on a capture in which a DP-V0 head with three configured modules answers
// with an all-OK module status block and then with two bad slots (flagged
// in its identifier block too, one beyond the configuration), and a
// slave whose configuration was not seen answers too. Each test is skipped
// where its program is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "command_runner.h"
#include "dp/dp_codes.h"
#include "dp/dp_diag.h"
#include "dp/dp_status_summary.h"
#include "support/capture_builder.h"
#include "support/format_text.h"

namespace zelmot {
namespace {

using test::Bytes;
using test::ShellQuote;

// The standard bytes of a diagnosis of ident 0x801E, then blocks.
Bytes Diagnosis(std::initializer_list<Bytes> blocks) {
    Bytes diag = {0x08, 0x0C, 0x00, 0x01, 0x80, 0x1E};
    for (const Bytes& block : blocks) diag.insert(diag.end(), block.begin(), block.end());
    return diag;
}

// A module status block (header 0x82 slot 0 none) of 64 modules, all OK
// but those given; stateBytes shortens it.
Bytes ModuleStatus(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bad, std::size_t stateBytes = 16) {
    Bytes block = {static_cast<std::uint8_t>(4 + stateBytes), 0x82, 0x00, 0x00};
    block.resize(4 + stateBytes, 0x00);
    for (const auto& [slot, state] : bad) block[4 + slot / 4] |= static_cast<std::uint8_t>(state << (2 * (slot % 4)));
    return block;
}

const Bytes kNoFlags = {0x49, 0, 0, 0, 0, 0, 0, 0, 0};  // an identifier block of 64 modules, none flagged

struct SummaryCase {
    Bytes Diag;
    bool Dpv1;
    std::optional<std::size_t> Slots;
};

// "kind:words" per block, words as the DP library writes a module status
// block and "*" for the others (their words are the statistics').
std::string Expected(const SummaryCase& c) {
    std::string text;
    for (std::size_t at = dp::kDiagHeaderSize; at < c.Diag.size();) {
        const dp::DiagBlock block = dp::DecodeDiagBlock(c.Diag, at, c.Dpv1);
        const bool summed = block.Kind == dp::DiagBlockKind::Status && block.Type == dp::kStatusTypeModuleStatus;
        text += (text.empty() ? "" : " | ") + std::to_string(static_cast<int>(block.Kind)) + ":" +
                (summed ? dp::ModuleStatusBlockWords(block, c.Slots) : "*");
        at = block.Next;
    }
    return text;
}

TEST(DissectorSummaries, ModuleStatusInTheWordsOfTheDpLibrary) {
    const std::vector<SummaryCase> cases = {
        {Diagnosis({ModuleStatus({{3, 2}, {5, 3}})}), true, 63},
        {Diagnosis({ModuleStatus({{3, 2}, {5, 3}})}), true, std::nullopt},
        {Diagnosis({kNoFlags, ModuleStatus({})}), false, 3},  // a real head's 35 bytes, DP-V0
        {Diagnosis({ModuleStatus({{1, 1}, {40, 3}})}), false, 3},
        {Diagnosis({ModuleStatus({}, 4)}), false, 20},
        {Diagnosis({{0x04, 0x82, 0x00, 0x00}, {0x05, 0x82, 0x00, 0x04, 0x00}, {0x05, 0x81, 0x00, 0x00, 0x00}}), false,
         3},
        {Diagnosis({{0x04, 0x82, 0x00, 0x00}}), true, 3},
    };
    std::string input;
    for (const SummaryCase& c : cases) {
        for (std::uint8_t b : c.Diag) input += test::FormatText("%02x", b);
        input += std::string(c.Dpv1 ? " 1 " : " 0 ") + (c.Slots ? std::to_string(*c.Slots) : "-") + "\n";
    }
    test::TempDir dir;
    test::WriteText(dir.Path("cases"), input);
    const std::string here = std::string(ZELMOT_SOURCE_DIR) + "/tests/pcap/";
    int tried = 0;
    for (const std::string lua : {"lua5.2", "lua5.4"}) {
        if (!test::HaveProgram(lua)) continue;
        ++tried;
        const test::CommandResult r =
            test::RunCommand(lua + " " + ShellQuote(here + "module_status_check.lua") + " " +
                             ShellQuote(here + "wireshark_standin.lua") + " " + ShellQuote(ZELMOT_PCAP_LUA) + " < " +
                             ShellQuote(dir.Path("cases")) + " 2>&1");
        ASSERT_EQ(r.Status, 0) << r.Output;
        std::istringstream lines(r.Output);
        for (const SummaryCase& c : cases) {
            std::string line;
            std::getline(lines, line);
            const std::string want = Expected(c);
            std::string have;  // the Lua line with the words of other blocks left out, as Expected writes it
            std::istringstream blocks(line + " | ");
            for (std::string block; std::getline(blocks, block, '|');) {
                block = block.substr(block.front() == ' ' ? 1 : 0);
                if (!block.empty() && block.back() == ' ') block.pop_back();
                if (block.empty()) continue;
                const bool summed = block.find("module status") != std::string::npos;
                have += (have.empty() ? "" : " | ") + (summed ? block : block.substr(0, block.find(':') + 1) + "*");
            }
            EXPECT_EQ(have, want) << lua << ": " << line;
        }
    }
    if (tried == 0) GTEST_SKIP() << "no lua5.2 or lua5.4";
    // The words themselves, as the issue asks for them.
    EXPECT_EQ(Expected(cases[0]), "4:module status slot 0 none: slot 3: wrong module, slot 5: no module; the other 61 OK");
    EXPECT_EQ(Expected(cases[2]), "1:* | 4:module status, DP-V1 layout, slot 0 none: all 3 modules OK");
}

// A request of master 1 to slave `slave`'s SAP, and its answer from SAP `sap`.
Bytes Request(std::uint8_t slave, std::uint8_t dsap, const Bytes& data) {
    Bytes rest{dsap, 62};
    rest.insert(rest.end(), data.begin(), data.end());
    return test::Sd2(static_cast<std::uint8_t>(0x80 | slave), 0x81, 0x6D, rest);
}
Bytes Answer(std::uint8_t slave, std::uint8_t sap, const Bytes& data) {
    Bytes rest{62, sap};
    rest.insert(rest.end(), data.begin(), data.end());
    return test::Sd2(0x81, static_cast<std::uint8_t>(0x80 | slave), 0x08, rest);
}

TEST(DissectorSummaries, InfoColumnSumsUpWhatTheTreeLists) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    const Bytes allOk = Diagnosis({kNoFlags, ModuleStatus({})});
    Bytes flagged = kNoFlags;  // modules 1 and 40
    flagged[1] = 0x02;
    flagged[6] = 0x01;
    const Bytes twoBad = Diagnosis({flagged, ModuleStatus({{1, 2}, {40, 3}})});
    const std::vector<Bytes> frames = {
        Request(5, 61, {0x88, 0x0A, 0x0A, 0x0B, 0x80, 0x1E, 0x00}), test::ShortAck(),  // Set_Prm, DP-V0
        Request(5, 62, {0x00, 0x10, 0x10}), test::ShortAck(),                          // Chk_Cfg: 3 slots
        Request(5, 60, {}), Answer(5, 60, allOk),                                      // frames 5, 6
        Request(5, 60, {}), Answer(5, 60, twoBad),                                     // frames 7, 8
        Request(6, 60, {}), Answer(6, 60, allOk),                                      // frames 9, 10: no Chk_Cfg
        test::Token(1, 2),
    };
    test::TempDir dir;
    Bytes stream;
    std::uint64_t stamp = 1000;
    for (const Bytes& frame : frames) test::Append(stream, test::RecordBytes(stamp += 5000, frame));
    test::Append(stream, test::RecordBytes(stamp + 5000, test::Token(1, 2)));
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {}));
    const std::string file = dir.Path("heads.pcapng");
    ASSERT_EQ(test::RunPcapTool({dir.Path("cap1200"), file, "Link=user0"}).Status, 0);

    const std::string tshark = "tshark -X lua_script:" + ShellQuote(ZELMOT_PCAP_LUA) + " -r " + ShellQuote(file);
    const auto info = [&tshark](const std::string& passes) {
        return test::RunCommand(tshark + passes + " -Y 'frame.number == 6 || frame.number == 8 || frame.number == 10'" +
                                " -T fields -e _ws.col.Info 2>/dev/null")
            .Output;
    };
    const std::string diag = "Slave_Diag res: Ext_Diag, WD_On; identifier: no module; module status, DP-V1 layout, slot 0 none: ";
    const std::vector<std::string> want = {
        diag + "all 3 modules OK",
        "Slave_Diag res: Ext_Diag, WD_On; identifier: modules 1 40 (beyond the configuration); module status, DP-V1 "
        "layout, slot 0 none: slot 1: wrong module, slot 40: no module (beyond the configuration); the other 2 OK",
        diag + "all 64 modules OK",
    };
    // One pass finds the configured slots, two passes recall them.
    for (const std::string passes : {"", " -2"}) {
        std::istringstream lines(info(passes));
        for (const std::string& words : want) {
            std::string line;
            std::getline(lines, line);
            EXPECT_TRUE(line.ends_with(words)) << "tshark" << passes << ": " << line << "\n  expected: ..." << words;
        }
    }
    // The tree keeps every module.
    const std::string states = test::RunCommand(tshark + " -Y 'frame.number == 8' -T fields -e pbdp.diag.module_status 2>/dev/null").Output;
    EXPECT_EQ(std::count(states.begin(), states.end(), ',') + 1, 64) << states;
}

}  // namespace
}  // namespace zelmot
