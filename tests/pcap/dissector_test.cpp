// The DP layer of the Wireshark dissector against the project's own DP
// decoding: its name tables against AllNameTables() (the script run in a
// plain Lua interpreter through tests/pcap/wireshark_standin.lua), hostile
// frames through tshark, and a generated capture with every DP scenario,
// decoded frame for frame as the generator's record and zelmot-stats' events
// say. Each test is skipped where its program is not installed.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "command_runner.h"
#include "dp/dp_names.h"
#include "support/capture_builder.h"
#include "support/format_text.h"

namespace zelmot {
namespace {

using test::ShellQuote;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

// What tshark with the dissector prints; errors: with what it writes to
// standard error (where it reports Lua errors).
std::string Tshark(const std::string& file, const std::string& arguments, bool errors = false) {
    return test::RunCommand("tshark -X lua_script:" + ShellQuote(ZELMOT_PCAP_LUA) + " -r " + ShellQuote(file) + " " +
                            arguments + (errors ? " 2>&1" : " 2>/dev/null"))
        .Output;
}

std::string CppNameTables() {
    std::string text;
    for (const dp::NameTable& table : dp::AllNameTables())
        for (const dp::NameEntry& entry : table.Entries)
            text += test::FormatText("%s %s %u %u %s\n", std::string(table.Name).c_str(),
                                     table.Bits ? "bits" : "values", entry.First, entry.Last,
                                     std::string(entry.Name).c_str());
    return text;
}

TEST(Dissector, NameTablesAreThoseOfTheDpLibrary) {
    const std::string standin = std::string(ZELMOT_SOURCE_DIR) + "/tests/pcap/wireshark_standin.lua";
    int tried = 0;
    for (const std::string lua : {"lua5.2", "lua5.4"}) {
        if (!test::HaveProgram(lua)) continue;
        ++tried;
        test::CommandResult r =
            test::RunCommand(lua + " " + ShellQuote(standin) + " " + ShellQuote(ZELMOT_PCAP_LUA) + " names 2>&1");
        EXPECT_EQ(r.Status, 0) << r.Output;
        EXPECT_EQ(r.Output, CppNameTables()) << lua;
    }
    if (tried == 0) GTEST_SKIP() << "no lua5.2 or lua5.4";
}

// A Slave_Diag answer of slave 5 to master 1 from SSAP 60 to DSAP 62.
test::Bytes DiagAnswer(const test::Bytes& data) {
    test::Bytes rest{62, 60};
    rest.insert(rest.end(), data.begin(), data.end());
    return test::Sd2(0x81, 0x85, 0x08, rest);
}

test::Bytes Request(std::uint8_t dsap, const test::Bytes& data) {
    test::Bytes rest{dsap, 62};
    rest.insert(rest.end(), data.begin(), data.end());
    return test::Sd2(0x85, 0x81, 0x6D, rest);
}

TEST(Dissector, HostileFramesGiveExpertInfoAndNoLuaError) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    // A diagnosis with an identifier block (module 1) and a channel block,
    // cut after every byte: the standard bytes and each block are whole or
    // reported as cut.
    const test::Bytes diag{0x08, 0x0C, 0x00, 0x01, 0x12, 0x34, 0x42, 0x02, 0x81, 0x41, 0x21};
    struct Case {
        test::Bytes Frame;
        const char* Expert;  // the expert field the frame must carry, or nullptr
        std::uint8_t Status = 0;
    };
    std::vector<Case> cases;
    for (std::size_t n = 1; n <= diag.size(); ++n) {
        const bool whole = n == 6 || n == 8 || n == diag.size();
        cases.push_back({DiagAnswer(test::Bytes(diag.begin(), diag.begin() + n)), whole ? nullptr : "pbdp.malformed"});
    }
    // Block lengths that lie: past the end, below the header, the reserved type.
    for (std::uint8_t header : {0x4F, 0x41, 0x00, 0xC0})
        cases.push_back({DiagAnswer({0x08, 0x0C, 0x00, 0x01, 0x12, 0x34, header, 0x01}), "pbdp.malformed"});
    // Commands cut short: Set_Prm, Global_Control, Chk_Cfg with a special
    // identifier missing its length bytes, a DP-V1 read.
    cases.push_back({Request(61, {0x88, 0x0A, 0x0A, 0x0B}), "pbdp.malformed"});
    cases.push_back({Request(58, {0x02}), "pbdp.malformed"});
    cases.push_back({Request(62, {0x13, 0xC2}), "pbdp.malformed"});
    cases.push_back({Request(51, {0x5E, 0x00}), "pbdp.malformed"});
    // SAPs no DP service uses.
    cases.push_back({Request(53, {0x01, 0x02}), "pbdp.unknown_service"});
    cases.push_back({test::Sd2(0x81, 0x85, 0x08, {62, 63, 0x01}), "pbdp.unknown_service"});
    // A frame cut at every length, as a receiver that lost its end delivers it.
    const test::Bytes whole = DiagAnswer(diag);
    for (std::size_t n = 0; n < whole.size(); ++n)
        cases.push_back({test::Bytes(whole.begin(), whole.begin() + n), nullptr, 0x10});

    test::TempDir dir;
    test::Bytes stream;
    std::uint64_t stamp = 1000;
    for (const Case& c : cases) test::Append(stream, test::RecordBytes(stamp += 5000, c.Frame, c.Status));
    test::Append(stream, test::RecordBytes(stamp + 5000, test::Token(1, 2)));  // delivers the last case
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {}));
    const std::string file = dir.Path("hostile.pcapng");
    ASSERT_EQ(test::RunPcapTool({dir.Path("cap1200"), file, "Link=user0"}).Status, 0);

    const std::string details = Tshark(file, "-V", true);
    EXPECT_EQ(details.find("Lua Error"), std::string::npos) << details;
    EXPECT_EQ(Tshark(file, "", true).find("Lua Error"), std::string::npos);
    for (const char* expert : {"pbdp.malformed", "pbdp.unknown_service"}) {
        std::string expected;
        for (std::size_t i = 0; i < cases.size(); ++i)
            if (cases[i].Expert != nullptr && std::string(cases[i].Expert) == expert) expected += std::to_string(i + 1) + "\n";
        EXPECT_EQ(Tshark(file, "-Y " + std::string(expert) + " -T fields -e frame.number"), expected) << expert;
    }
}

}  // namespace
}  // namespace zelmot
