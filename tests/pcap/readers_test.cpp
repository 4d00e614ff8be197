// Real readers on real exports: tcpdump (libpcap) reads the PROFIBUS DL file
// of the bundled example, tshark with the dissector reads the USER0 file.
// What they show is compared with what zelmot2txt writes for the same
// capture: frame count, bytes, time stamps, status letters and the frames
// a ShowOnly equation passes. Each test is skipped where its reader is not
// installed.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capture/frame_reader.h"
#include "command_runner.h"
#include "support/capture_builder.h"
#include "support/format_text.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

// The bundled example, copied so that zelmot2txt's outputs land beside it.
struct Example {
    test::TempDir dir;
    std::string cap = dir.Path("demo1200");
    Example() {
        for (const char* name : {"demo1200.Zelmot", "demo1201.Zelmot", "demo1202.Zelmot"})
            fs::copy_file(fs::path(ZELMOT_SOURCE_DIR) / "examples" / name, dir.path() / name);
    }
    std::string Export(const std::string& name, const std::vector<std::string>& words) const {
        std::vector<std::string> args{cap, dir.Path(name), "NumMin=3"};
        args.insert(args.end(), words.begin(), words.end());
        test::CommandResult r = test::RunPcapTool(args);
        EXPECT_EQ(r.Status, 0) << r.Output;
        return dir.Path(name);
    }
    // zelmot2txt's frame lines (reference number -> rest of the line) for an option text.
    std::map<std::uint32_t, std::string> Convert(const std::string& optName, const std::string& options) const {
        test::WriteText(dir.Path(optName + ".opt"), options);
        test::ToolResult r = test::RunTool({cap, dir.Path(optName), "NumMin=3"});
        EXPECT_EQ(r.status, 0);
        std::istringstream text(test::ReadTextFile(cap + "_" + optName + ".txt"));
        std::map<std::uint32_t, std::string> lines;
        for (std::string line; std::getline(text, line);) {
            if (line.size() < 11 || line.compare(9, 2, ": ") != 0 || line.compare(11, 8, "FileOfs=") == 0) continue;
            lines[static_cast<std::uint32_t>(std::stoul(line.substr(0, 9)))] = line.substr(11);
        }
        return lines;
    }
};

// "a12:00:00.040,087,791 ..." -> nanoseconds.
std::uint64_t AbsTimeNs(const std::string& column) {
    unsigned h, m, s, ms, us, ns;
    EXPECT_EQ(std::sscanf(column.c_str(), "a%u:%u:%u.%u,%u,%u", &h, &m, &s, &ms, &us, &ns), 6) << column;
    return ((h * 3600ull + m * 60 + s) * 1000000000ull) + ms * 1000000ull + us * 1000ull + ns;
}

// "43200.040087791" -> nanoseconds.
std::uint64_t EpochNs(const std::string& text) {
    std::size_t dot = text.find('.');
    std::string fraction = (text.substr(dot + 1) + "000000000").substr(0, 9);
    return std::stoull(text.substr(0, dot)) * 1000000000ull + std::stoull(fraction);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string TsharkFields(const std::string& file, const std::string& arguments) {
    return test::RunCommand("tshark -X lua_script:" + ShellQuote(ZELMOT_PCAP_LUA) + " -r " + ShellQuote(file) + " " +
                            arguments + " 2>/dev/null")
        .Output;
}

TEST(RealReaders, TcpdumpReadsEveryFrameWithItsBytesAndTime) {
    if (!test::HaveProgram("tcpdump")) GTEST_SKIP() << "tcpdump is not installed";
    Example ex;
    auto lines = ex.Convert("abs", "TmeAbs hr:mn:sc.ms,us,ns\n");
    // The frames as the reader delivers them, in order.
    std::vector<std::string> frames;
    CaptureReader reader;
    StartCaptureReader(reader, CaptureRunFiles{ex.dir.Path("demo"), 12, 0, 3, false});
    for (RecordKind kind; (kind = PullRecord(reader)) != RecordKind::EndOfCapture;) {
        ASSERT_NE(kind, RecordKind::Error) << reader.Event.Text;
        if (kind != RecordKind::Frame) continue;
        std::string hex;
        for (unsigned i = 0; i < reader.Frame.Length; ++i) hex += test::FormatText("%02x", reader.Frame.Bytes[i]);
        frames.push_back(hex);
    }
    CloseCaptureReader(reader);
    ASSERT_EQ(frames.size(), lines.size());
    for (const char* format : {"Format=pcap", "Format=pcapng"}) {
        std::string file = ex.Export("plain", {format});
        // Piped, as the README shows it.
        std::string dump = test::RunCommand(ShellQuote(ZELMOT2PCAP_EXE) + " " + ShellQuote(ex.cap) + " - NumMin=3 " +
                                            format + " 2>/dev/null | tcpdump -r - -n --nano 2>/dev/null")
                               .Output;
        EXPECT_EQ(dump, test::RunCommand("tcpdump -r " + ShellQuote(file) + " -n --nano 2>/dev/null").Output);
        // One time stamp line per packet, then its bytes in lines of
        // "\t0x0000:  6805 0568 ...  ascii".
        std::vector<std::string> hex;
        std::vector<std::string> times;
        for (const std::string& line : Lines(dump)) {
            if (line.rfind("\t0x", 0) == 0) {
                std::string groups = line.substr(10, 40);
                for (char c : groups)
                    if (c != ' ') hex.back() += c;
            } else {
                times.push_back(line.substr(0, line.find(' ')));
                hex.emplace_back();
            }
        }
        ASSERT_EQ(hex.size(), frames.size()) << format;
        EXPECT_EQ(hex, frames) << format;
        std::size_t i = 0;
        for (const auto& [reference, line] : lines) {
            ASSERT_LT(i, times.size());
            // tcpdump shows the time of day: hh:mm:ss.nnnnnnnnn
            EXPECT_EQ("a" + times[i].substr(0, 12) + "," + times[i].substr(12, 3) + "," + times[i].substr(15, 3),
                      line.substr(0, 21)) << "frame " << reference;
            ++i;
        }
    }
}

TEST(RealReaders, TsharkWithTheDissectorSelectsAndDecodesAsZelmot2txt) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    Example ex;
    std::string file = ex.Export("user0.pcapng", {"Link=user0"});
    // No frame makes the dissector fail.
    std::string experts = TsharkFields(file, "-T fields -e _ws.expert.message");
    EXPECT_EQ(experts.find("Lua Error"), std::string::npos);
    EXPECT_EQ(Lines(experts).size(), ex.Convert("all", "").size());
    // The frames from station 2, by reference number.
    auto fromTwo = ex.Convert("sa2", "ShowOnly\nSA == 2\n#\n");
    std::vector<std::string> expected;
    for (const auto& entry : fromTwo) expected.push_back(std::to_string(entry.first));
    ASSERT_GT(expected.size(), 100u);
    EXPECT_EQ(Lines(TsharkFields(file, "-Y 'pbfdl.sa == 2' -T fields -e frame.number")), expected);
    // The frames received with errors, with the letters of the status column.
    auto errors = ex.Convert("errors", "DetailSts\nShowOnly\nSTS <> STSOK\n#\n");
    std::vector<std::string> letters;
    for (const auto& [reference, line] : errors) letters.push_back(std::to_string(reference) + "\t" + line.substr(0, 8));
    ASSERT_GT(letters.size(), 10u);
    EXPECT_EQ(Lines(TsharkFields(file, "-Y 'pbfdl.status != 0' -T fields -e frame.number -e pbfdl.status.letters")), letters);
    // Function names as the converter writes them, for every decoded frame
    // received without errors (complaints and the short acknowledgement
    // have none).
    auto names = ex.Convert("names", "NoDelim\nNoDst\nNoSrc\nNoDstSap\nNoSrcSap\nNoData\n");
    std::vector<std::string> functions;
    for (const auto& [reference, line] : names) {
        std::string token = line.substr(1, line.find(' ', 1) - 1);
        if (line[0] != ' ' || token.empty() || token == "SHAK" || token == "SD2" || token == "SD3" || token.rfind("SD?", 0) == 0 ||
            token.rfind("Len", 0) == 0 || token.rfind("FrmLen", 0) == 0)
            continue;
        functions.push_back(std::to_string(reference) + "\t" + token);
    }
    ASSERT_GT(functions.size(), 1000u);
    EXPECT_EQ(Lines(TsharkFields(file, "-Y 'pbfdl.status == 0 && pbfdl.fc.function' -T fields "
                                 "-e frame.number -e pbfdl.fc.function")),
              functions);
}

TEST(RealReaders, PacketTimesAreTheAbsoluteTimesOrStartShiftsThem) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    Example ex;
    auto lines = ex.Convert("abs", "TmeAbs hr:mn:sc.ms,us,ns\n");
    std::vector<std::string> expected, shifted;
    const std::uint64_t first = AbsTimeNs(lines.begin()->second);
    const std::uint64_t start = 1796731200000000000ull;  // 2026-12-08T12:00:00
    for (const auto& entry : lines) {
        const std::uint64_t ns = AbsTimeNs(entry.second);
        expected.push_back(std::to_string(ns));
        shifted.push_back(std::to_string(ns - first + start));
    }
    auto times = [&](const std::string& file) {
        std::vector<std::string> ns;
        for (const std::string& line : Lines(TsharkFields(file, "-T fields -e frame.time_epoch")))
            ns.push_back(std::to_string(EpochNs(line)));
        return ns;
    };
    EXPECT_EQ(times(ex.Export("t.pcapng", {})), expected);
    EXPECT_EQ(times(ex.Export("t.pcap", {"Format=pcap", "Link=user0", "Start=2026-12-08T12:00:00"})), shifted);
}

TEST(RealReaders, TsharkShowsABadCheckSumAndAMalformedFrame) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    test::TempDir dir;
    test::Bytes badFcs = test::Sd1(5, 2, 0x49);
    badFcs[4] ^= 0x01;
    test::Bytes stream;
    const std::vector<std::pair<test::Bytes, std::uint8_t>> frames = {
        {test::Sd1(5, 2, 0x49), 0},
        {badFcs, 0x40},
        {test::Sd2(2, 5, 0x08, {0x11, 0x22}), 0},
        {{0x68, 0x09, 0x05, 0x68, 0x05, 0x02, 0x7d}, 0x10},  // cut short
        {{0x68, 0x04, 0x04, 0x68, 0x85, 0x82, 0x7d, 0x01, 0x86, 0x16}, 0},  // SAP bytes up to the ED
        {{}, 0x10},
        {test::ShortAck(), 0},
    };
    std::uint64_t stamp = 1000;
    for (const auto& [bytes, status] : frames) test::Append(stream, test::RecordBytes(stamp += 5000, bytes, status));
    test::Append(stream, test::RecordBytes(stamp + 5000, test::Token(1, 2)));
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(stream, {}));
    for (const char* format : {"Format=pcapng", "Format=pcap"}) {
        const std::string file = dir.Path("fcs");
        ASSERT_EQ(test::RunPcapTool({dir.Path("cap1200"), file, "Link=user0", format}).Status, 0);
        // Frame number, FCS status (1 good, 0 bad), underrun bit, expert
        // messages; classic pcap has no comments.
        const bool ng = std::string(format) == "Format=pcapng";
        auto comment = [&](const std::string& text) { return ng ? text + "," : std::string(); };
        EXPECT_EQ(Lines(TsharkFields(file, "-T fields -E separator=';' -e frame.number -e pbfdl.fcs.status "
                                     "-e pbfdl.status.underrun -e _ws.expert.message")),
                  (std::vector<std::string>{
                      "1;1;0;" + (ng ? "File      : " + dir.Path("cap1200.Zelmot") : ""),
                      "2;0;0;" + comment("Status 0x40 ......c.") +
                          "Received with errors: ......c.,Bad FCS 0x51, computed 0x50",
                      "3;1;0;",
                      "4;;1;" + comment("Status 0x10 ....u...") + "Received with errors: ....u...,SD2 Len(7)?",
                      "5;;0;Too short for the SAP bytes its addresses announce",
                      "6;;1;" + comment("Status 0x10 ....u...") + "Received with errors: ....u...,FrmLen?(0)",
                      "7;;0;",
                  }))
            << format;
        EXPECT_EQ(TsharkFields(file, "-Y 'pbfdl.fcs.bad || pbfdl.malformed' -T fields -e frame.number"), "2\n4\n5\n6\n");
    }
}

// Findings=yes: tshark finds the findings' comments exactly on the frames
// that zelmot-stats' JSON report cites as their evidence.
TEST(RealReaders, FindingsAreCommentsOnTheFramesTheyCite) {
    if (!test::HaveProgram("tshark")) GTEST_SKIP() << "tshark is not installed";
    Example ex;
    const std::string file = ex.Export("findings.pcapng", {"Findings=yes"});
    const std::string found = TsharkFields(file, "-Y 'frame.comment matches \"^(fault|warning|note) [a-z_]+: \"' "
                                           "-T fields -e frame.number");
    std::set<std::uint32_t> commented;
    for (const std::string& line : Lines(found)) commented.insert(static_cast<std::uint32_t>(std::stoul(line)));
    test::CommandResult stats = test::RunCommand(test::ShellQuote(ZELMOT_STATS_EXE) + " " + test::ShellQuote(ex.cap) +
                                                 " NumMin=3 Format=json");
    const nlohmann::json report = nlohmann::json::parse(stats.Output);
    std::set<std::uint32_t> cited;
    for (const auto& finding : report["findings"])
        for (const auto& frame : finding["evidence"]) cited.insert(frame["reference"].get<std::uint32_t>());
    ASSERT_FALSE(cited.empty());
    EXPECT_EQ(commented, cited);
}

}  // namespace
}  // namespace zelmot
