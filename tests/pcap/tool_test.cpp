// The real zelmot2pcap on bad command lines, bad captures and outputs that
// cannot be written: each ends with its message and exit status, and a
// damaged capture gives the converter's message and as many packets as the
// converter writes lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "command_runner.h"
#include "pcap_file_view.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::Bytes;
using test::RunPcapTool;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes SomeTraffic(int n) {
    Bytes stream;
    for (int i = 0; i < n; ++i)
        test::Append(stream, test::RecordBytes(1000u * static_cast<unsigned>(i) + 5, test::Sd1(5, 2, 0x49)));
    return stream;
}

TEST(PcapTool, BadCommandLinesShowTheirMessageAndTheUsage) {
    test::TempDir dir;
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(SomeTraffic(50), {}));
    const std::string cap = dir.Path("cap1200"), out = dir.Path("out.pcapng");
    const struct {
        std::vector<std::string> args;
        std::string message;  // before the usage text
    } cases[] = {
        {{}, ""},
        {{cap}, ""},
        {{cap, out, "Format=xml"}, "Invalid Format - xml (pcapng or pcap)\n"},
        {{cap, out, "Link=ethernet"}, "Invalid Link - ethernet (profibus or user0)\n"},
        {{cap, out, "Start=2023-02-29T00:00:00"},
         "Invalid Start - 2023-02-29T00:00:00 (YYYY-MM-DDTHH:MM:SS, UTC, years 1970-2199)\n"},
        {{cap, out, "Filter="}, "Invalid Filter - no option file named\n"},
        {{cap, out, "Findings=maybe"}, "Invalid Findings - maybe (yes or no)\n"},
        {{cap, out, "Format=pcap", "Findings=yes"}, "Invalid Findings - pcap files hold no comments: use Format=pcapng\n"},
        {{cap, out, "NumMin=0"}, "Invalid NumMin - 0 (1-65535)\n"},
        {{cap, out, "Arg7=1"}, "Invalid Arg Num - 7 (0-3)\n"},
        {{cap, out, "Bogus"}, "Invalid Arg Bogus"},
        {{dir.Path("cap1260"), out}, "Invalid Capture File Name Minute - 60 (00-59)\n"},
        {{"x", out}, "Invalid Capture File Name x\nIt must be in the following form:\n<name>HHMM.Zelmot\n"
                     "Note:\n<name> is the user defined portion of the name\nHH is the hour   offset\n"
                     "MM is the minute offset\n"},
    };
    for (const auto& c : cases) {
        test::CommandResult r = RunPcapTool(c.args);
        EXPECT_EQ(r.Status, 3) << c.message;
        EXPECT_EQ(r.Output.substr(0, c.message.size() + 17), c.message + "use: zelmot2pcap ") << c.message;
        EXPECT_FALSE(test::FileExists(out)) << c.message;
    }
}

TEST(PcapTool, OutputsThatCannotBeWrittenFailWithTheirName) {
    test::TempDir dir;
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, test::SplitIntoFiles(SomeTraffic(20000), {}));
    const std::string cap = dir.Path("cap1200");
    const std::string noFolder = dir.Path("missing/out.pcapng");
    test::CommandResult r = RunPcapTool({cap, noFolder});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Output, "\nUnable to Open Output File " + noFolder + "\n");
    if (!test::kWindows && std::filesystem::exists("/dev/full")) {
        r = RunPcapTool({cap, "/dev/full"});
        EXPECT_EQ(r.Status, 2);
        EXPECT_EQ(r.Output, "\nUnable to Write Output File /dev/full\n");
    }
    // A reader that stops early: the export ends at once with its message
    // (a shell pipeline: not on Windows).
    if (test::kWindows) return;
    r = test::RunCommand("{ " + test::ShellQuote(ZELMOT2PCAP_EXE) + " " + test::ShellQuote(cap) +
                         " - 2>" + test::ShellQuote(dir.Path("err.txt")) + "; echo $? >" +
                         test::ShellQuote(dir.Path("status.txt")) + "; } | head -c 100 >/dev/null");
    EXPECT_EQ(test::ReadText(dir.Path("status.txt")), "2\n");
    EXPECT_EQ(test::ReadText(dir.Path("err.txt")), "\nUnable to Write Output File - (standard output)\n");
}

TEST(PcapTool, DamagedCapturesExportWhatTheConverterConverts) {
    test::TempDir dir;
    std::mt19937 random(7);
    auto noise = [&](std::size_t n) {
        Bytes b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(random());
        return b;
    };
    const Bytes header = test::CaptureHeaderBytes();
    Bytes cutTraffic = SomeTraffic(300);
    cutTraffic.erase(cutTraffic.end() - 7, cutTraffic.end());  // cut inside the last record
    Bytes noisyTraffic = SomeTraffic(200);
    test::Append(noisyTraffic, noise(300));
    test::Append(noisyTraffic, SomeTraffic(200));
    const struct {
        const char* what;
        std::vector<Bytes> files;
    } cases[] = {
        {"empty file", {{}}},
        {"half a header", {Bytes(header.begin(), header.begin() + 20)}},
        {"header only", {header}},
        {"random bytes", {noise(5000)}},
        {"cut in a record", test::SplitIntoFiles(cutTraffic, {})},
        {"noise between records, two files", test::SplitIntoFiles(noisyTraffic, {3000})},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(dir.path());
        test::WriteText(dir.Path("plain.opt"), "");
        test::WriteCaptureRun(dir.Path("cap"), 12, 0, c.files);
        test::CommandResult pcap = RunPcapTool({dir.Path("cap1200"), dir.Path("out.pcap"), "Format=pcap", "NumMin=2"});
        test::ToolResult txt = test::RunTool({dir.Path("cap1200"), dir.Path("plain"), "NumMin=2"});
        EXPECT_EQ(pcap.Status, txt.status) << c.what;
        // The converter's last console line is its result: the same message,
        // which the exporter completes with the file's name where it lacks it.
        const std::string txtLast = txt.console.substr(txt.console.rfind('\n', txt.console.size() - 2));
        if (txt.status == 2) {
            const std::string message = txtLast.substr(0, txtLast.size() - 1);
            EXPECT_EQ(pcap.Output.substr(0, message.size()), message) << c.what;
            EXPECT_NE(pcap.Output.find(".Zelmot"), std::string::npos) << c.what;
        }
        std::string text = test::ReadTextFile(dir.Path("cap1200_plain.txt"));
        std::size_t lines = 0;
        for (std::size_t at = text.find(": "); at != std::string::npos; at = text.find(": ", at + 1))
            if (text.compare(at, 10, ": FileOfs=") != 0 && text.rfind('\n', at) + 10 == at) ++lines;
        test::ReadFile file = test::ReadPcap(ReadBytes(dir.Path("out.pcap")));
        EXPECT_EQ(file.Packets.size(), lines) << c.what;
    }
}

}  // namespace
}  // namespace zelmot
