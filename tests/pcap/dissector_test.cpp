// The DP layer of the Wireshark dissector against the project's own DP
// decoding: its name tables against AllNameTables() (the script run in a
// plain Lua interpreter through tests/pcap/wireshark_standin.lua), hostile
// frames through tshark, and a generated capture with every DP scenario,
// decoded frame for frame as the generator's record and zelmot-stats' events
// say. Each test is skipped where its program is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "capture/frame_reader.h"
#include "command_runner.h"
#include "dp/dp_diag.h"
#include "dp/dp_service.h"
#include "dp/dp_names.h"
#include "fdl/fdl_names.h"
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

// The FDL names as zelmot2txt writes them (without its padding blanks, and
// "Typ?(xx)" where it has no name), the station types by their two letters,
// the status letters, and the DP service of every SAP.
std::string CppFdlNames() {
    auto trimmed = [](std::string_view name) { return std::string(name.substr(0, name.find(' '))); };
    std::string text;
    for (unsigned byte = 0; byte < 256; ++byte)
        if (!DelimiterName(static_cast<std::uint8_t>(byte)).empty())
            text += test::FormatText("delimiter %u %s\n", byte,
                                     std::string(DelimiterName(static_cast<std::uint8_t>(byte))).c_str());
    for (unsigned fc = 0; fc < 256; ++fc) {
        const auto value = static_cast<std::uint8_t>(fc);
        std::string name = trimmed(fc & 0x40 ? RequestFunctionName(value) : ResponseFunctionName(value));
        if (name.empty()) name = test::FormatText("Typ?(%02x)", fc);
        text += test::FormatText("function %u %s\n", fc, name.c_str());
    }
    for (unsigned bits = 0; bits < 4; ++bits)
        text += test::FormatText("station_type %u %s\n", bits,
                                 trimmed(StationTypeName(static_cast<std::uint8_t>(bits << 4))).c_str());
    for (unsigned bit = 0; bit < kStatusBitCount; ++bit)
        text += test::FormatText("status %u %c\n", bit, StatusLetter(bit));
    for (unsigned sap = 0; sap < 256; ++sap)
        text += test::FormatText("sap %u %u\n", sap,
                                 static_cast<unsigned>(dp::ServiceOfSap(static_cast<std::uint8_t>(sap))));
    return text;
}

// The dissector's tables, printed by the script in a plain Lua interpreter,
// against the C++ ones: the DP names, and the FDL names and SAPs.
TEST(Dissector, NameTablesAreThoseOfTheLibraries) {
    const std::string standin = std::string(ZELMOT_SOURCE_DIR) + "/tests/pcap/wireshark_standin.lua";
    int tried = 0;
    for (const std::string lua : {"lua5.2", "lua5.4"}) {
        if (!test::HaveProgram(lua)) continue;
        ++tried;
        for (const auto& [what, expected] : {std::pair{"names", CppNameTables()}, std::pair{"fdl", CppFdlNames()}}) {
            test::CommandResult r = test::RunCommand(lua + " " + ShellQuote(standin) + " " +
                                                     ShellQuote(ZELMOT_PCAP_LUA) + " " + what + " 2>&1");
            EXPECT_EQ(r.Status, 0) << r.Output;
            EXPECT_EQ(r.Output, expected) << lua << " " << what;
        }
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


// The fields of a frame that the expectations name, in the order of the
// tshark command's -e options.
const std::vector<std::string> kFields = {
    "_ws.col.Info",          "pbdp.service",          "pbdp.diag.block",       "pbdp.ident",
    "pbdp.gc.control",       "pbdp.gc.group",         "pbdp.dpv1.slot",        "pbdp.dpv1.index",
    "pbdp.dpv1.length",      "pbdp.dpv1.alarm_type",  "pbdp.dpv1.alarm.specifier", "pbdp.dpv1.error_decode",
    "pbdp.dpv1.error_code_1", "pbdp.dpv1.error_code_2", "pbdp.negative",        "pbfdl.response_in",
    "pbfdl.response_to",     "pbdp.diag.cfg_fault",   "pbdp.diag.prm_fault",   "pbdp.diag.ext_diag",
};

// What one source says of the frame at TimeNs: field -> value, where the
// value "*" means present and "" absent; numbers compare by value.
struct Expectation {
    std::int64_t TimeNs = 0;
    std::string What;
    std::map<std::string, std::string> Fields;
};

std::map<std::string, std::string> Words(const std::string& detail) {
    std::map<std::string, std::string> words;
    for (const std::string& word : Split(detail, ' ')) {
        std::size_t eq = word.find('=');
        if (eq != std::string::npos) words[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return words;
}

// The lines of a CSV text after its header with at least `columns` columns.
std::vector<std::pair<std::string, std::vector<std::string>>> CsvRows(const std::string& csv, std::size_t columns) {
    std::vector<std::pair<std::string, std::vector<std::string>>> rows;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> column = Split(line, ',');
        if (column.size() >= columns) rows.emplace_back(line, column);
    }
    return rows;
}

// The generator's record: time_ns,master,station,event,frame,detail.
std::vector<Expectation> RecordExpectations(const std::string& csv) {
    std::vector<Expectation> all;
    for (const auto& [line, column] : CsvRows(csv, 6)) {
        std::map<std::string, std::string> w = Words(column[5]);
        Expectation e{std::stoll(column[0]), "record " + line, {}};
        const std::string& event = column[3];
        if (event == "ext_diag") {
            std::string blocks;
            for (const std::string& word : Split(column[5], ' '))
                blocks += (blocks.empty() ? "" : ",") + word.substr(word.find('=') + 1);
            e.Fields = {{"pbdp.diag.ext_diag", "*"}, {"pbdp.diag.block", blocks}};
        } else if (event == "diag_clear") {
            e.Fields = {{"pbdp.diag.ext_diag", ""}, {"pbdp.diag.block", ""}};
        } else if (event == "cfg_fault") {
            e.Fields = {{"pbdp.diag.cfg_fault", "*"}};
        } else if (event == "prm_fault") {
            e.Fields = {{"pbdp.diag.prm_fault", "*"}, {"pbdp.ident", w["ident"]}};
        } else if (event == "wrong_ident") {
            e.Fields = {{"pbdp.service", "8"}, {"pbdp.ident", w["sent"]}};
        } else if (event == "clear_on" || event == "clear_off") {
            e.Fields = {{"pbdp.gc.control", w["command"]}, {"pbdp.gc.group", w["group"]}};
        } else if (event == "dpv1_read" || event == "dpv1_error") {
            // A negative reply carries the error bytes, not the request's slot and index.
            if (event == "dpv1_read")
                e.Fields = {{"pbdp.dpv1.slot", w["slot"]}, {"pbdp.dpv1.index", w["index"]},
                            {"pbdp.dpv1.length", w["length"]}};
            for (const char* key : {"error_decode", "error_code_1", "error_code_2"})
                if (w.count(key)) e.Fields[std::string("pbdp.dpv1.") + key] = w[key];
        } else if (event == "alarm_ack") {
            e.Fields = {{"pbdp.dpv1.slot", w["slot"]}, {"pbdp.dpv1.alarm_type", w["type"]},
                        {"pbdp.dpv1.alarm.specifier", std::to_string(std::stoul(w["specifier"], nullptr, 0) & 3)}};
        } else if (event == "rs_answer") {
            e.Fields = {{"pbdp.negative", "3"}, {"_ws.col.Info", "*" + w["service"] + " res: SAP not enabled"}};
        } else if (event == "data_exchange" || event == "dropout_end") {
            e.Fields = {{"pbfdl.response_to", "*"}};
            if (event == "data_exchange") e.Fields["pbdp.service"] = "1";
        } else if (event == "lost" || event == "dropout_start") {
            e.Fields = {{"pbfdl.response_in", ""}};
        }
        all.push_back(e);
    }
    return all;
}

// zelmot-stats' events (Format=events): time_ns,time,address,kind,text; a
// diagnosis must read in the Info column in the same words.
std::vector<Expectation> StatsExpectations(const std::string& csv) {
    std::vector<Expectation> all;
    for (const auto& [line, column] : CsvRows(csv, 5)) {
        std::string text = line.substr(line.find(column[3] + ",") + column[3].size() + 1);
        if (text.front() == '"') text = text.substr(1, text.size() - 2);
        Expectation e{std::stoll(column[0]), "event " + line, {}};
        if (column[3] == "diag") {
            e.Fields = {{"_ws.col.Info", "*Slave_Diag res: " + text.substr(text.find(": ") + 2)}};
        } else if (column[3] == "negative") {
            e.Fields = {{"pbdp.negative", "*"}};
        } else if (column[3] == "dpv1_error") {
            e.Fields = {{"pbdp.dpv1.error_code_1", "*"}};
        } else if (column[3] == "global_control") {
            e.Fields = {{"pbdp.gc.control", text.substr(text.find("(0x") + 1, 4)}};
        } else {
            continue;
        }
        all.push_back(e);
    }
    return all;
}

// Whether a field's text is as expected: "*" present, "*words" ending in
// words, numbers by value, anything else as it stands.
bool Matches(const std::string& have, const std::string& want) {
    if (want == "*") return !have.empty();
    if (!want.empty() && want[0] == '*') return have.size() >= want.size() - 1 && have.ends_with(want.substr(1));
    if (have.empty() || want.empty() || have.find(',') != std::string::npos) return have == want;
    try {
        return std::stoul(have, nullptr, 0) == std::stoul(want, nullptr, 0);
    } catch (...) {
        return have == want;
    }
}

TEST(Dissector, DecodesEveryDpScenarioAsTheRecordAndTheStatisticsSay) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    test::TempDir dir;
    test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, {dir.Path("dp"), "--dp-scenario", "all", "--record", dir.Path("rec.csv"),
                                                 "--seed", "3"});
    ASSERT_EQ(gen.ExitCode, 0) << gen.Output;
    test::ProcessRun stats =
        test::RunProcess(ZELMOT_STATS_EXE, {dir.Path("dp1200"), "Format=events"}, test::ProcessOptions{"", false});
    ASSERT_EQ(stats.ExitCode, 0);
    const std::string file = dir.Path("dp.pcapng");
    ASSERT_EQ(test::RunPcapTool({dir.Path("dp1200"), file, "Link=user0"}).Status, 0);

    std::string fields;
    for (const std::string& field : kFields) fields += " -e " + field;
    std::map<std::int64_t, std::vector<std::string>> frames;  // by time in ns
    for (const std::string& line : Split(Tshark(file, "-2 -T fields -E separator=/t -e frame.time_epoch" + fields), '\n')) {
        std::vector<std::string> column = Split(line, '\t');
        if (column.size() != kFields.size() + 1) continue;
        std::size_t dot = column[0].find('.');
        frames[std::stoll(column[0].substr(0, dot)) * 1000000000 + std::stoll(column[0].substr(dot + 1))] =
            std::vector<std::string>(column.begin() + 1, column.end());
    }
    ASSERT_GT(frames.size(), 900u);

    std::vector<Expectation> expected = RecordExpectations(test::ReadTextFile(dir.Path("rec.csv")));
    const std::size_t recorded = expected.size();
    for (const Expectation& e : StatsExpectations(test::FromTextMode(stats.Output))) expected.push_back(e);
    ASSERT_GT(recorded, 20u);
    ASSERT_GT(expected.size(), recorded + 20);
    for (const Expectation& e : expected) {
        auto frame = frames.find(e.TimeNs);
        if (frame == frames.end()) {
            // The capture's last frame, which the reader does not deliver.
            EXPECT_EQ(e.TimeNs, frames.rbegin()->first) << e.What;
            continue;
        }
        for (const auto& [field, want] : e.Fields) {
            std::size_t index = static_cast<std::size_t>(std::find(kFields.begin(), kFields.end(), field) - kFields.begin());
            ASSERT_LT(index, kFields.size()) << field;
            EXPECT_TRUE(Matches(frame->second[index], want))
                << e.What << "\n  " << field << ": \"" << frame->second[index] << "\", expected \"" << want << "\"";
        }
    }
}

// The bundled example's Slave_Diag answers asking for parameters, found by
// the capture reader and the DP library, are what the display filter lists.
TEST(Dissector, FilterListsTheExamplesSlavesAskingForParameters) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    test::TempDir dir;
    for (const char* name : {"demo1200.Zelmot", "demo1201.Zelmot", "demo1202.Zelmot"})
        std::filesystem::copy_file(std::filesystem::path(ZELMOT_SOURCE_DIR) / "examples" / name, dir.path() / name);
    std::string expected;
    CaptureReader reader;
    StartCaptureReader(reader, CaptureRunFiles{dir.Path("demo"), 12, 0, 3, false});
    std::uint32_t number = 0;
    for (RecordKind kind; (kind = PullRecord(reader)) != RecordKind::EndOfCapture;) {
        ASSERT_NE(kind, RecordKind::Error) << reader.Event.Text;
        if (kind != RecordKind::Frame) continue;
        ++number;
        const fdl::Bytes frame(reader.Frame.Bytes.data(), reader.Frame.Length);
        if (reader.Frame.Status == 0 &&
            dp::ResponseService(frame, reader.Frame.Fields, dp::Service::None) == dp::Service::SlaveDiag &&
            (dp::DecodeSlaveDiag(dp::FrameData(frame, reader.Frame.Fields)).Status2 & dp::kPrmReq))
            expected += std::to_string(number) + "\n";
    }
    CloseCaptureReader(reader);
    ASSERT_FALSE(expected.empty());
    const std::string file = dir.Path("demo.pcapng");
    ASSERT_EQ(test::RunPcapTool({dir.Path("demo1200"), file, "Link=user0", "NumMin=all"}).Status, 0);
    EXPECT_EQ(Tshark(file, "-Y pbdp.diag.prm_req -T fields -e frame.number"), expected);
}

}  // namespace
}  // namespace zelmot
