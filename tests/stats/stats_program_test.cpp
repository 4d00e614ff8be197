// The zelmot-stats program as a user runs it: the three formats of one
// known capture, the bad inputs and command lines with their messages and
// exit statuses, and a generated capture whose make-up the report recovers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "stats_run_support.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

using Json = nlohmann::json;
using test::Placed;

void WriteSmallRun(const test::TempDir& dir, unsigned minutes = 1) {
    std::vector<test::Bytes> files;
    for (unsigned m = 0; m < minutes; ++m) {
        std::uint64_t base = 2'880'000'000ull * m;  // one minute of ticks at 12 Mbit/s
        files.push_back(test::SplitIntoFiles(test::StreamOf({{base, test::Token(1, 1)},
                                                              {base + 1000, test::Sd1(5, 1, 0x5D)},
                                                              {base + 1744, test::Sd1(1, 5, 0x08)},
                                                              {base + 3000, test::Sd1(33, 1, 0x49)},
                                                              {base + 4000, test::Token(1, 1)},
                                                              {base + 6000, test::Token(1, 1)}}),
                                             {})[0]);
    }
    test::WriteCaptureRun(dir.Path("cap"), 12, 0, files);
}

TEST(StatsProgram, JsonCarriesTheDocumentedKeysAndNulls) {
    test::TempDir dir;
    WriteSmallRun(dir, 2);
    test::StatsRun run = test::RunStats({dir.Path("cap1200"), "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");  // no progress line: standard error is no terminal
    Json doc = Json::parse(run.Out);
    const Json& cap = doc["capture"];
    for (const char* key : {"files", "frames", "first_ns", "last_ns", "span_ns", "bus_bytes", "bus_load_percent",
                            "frames_per_second_avg", "frames_per_second_max", "resyncs", "baud"})
        EXPECT_TRUE(cap.contains(key)) << key;
    EXPECT_EQ(cap["files"], 2);
    EXPECT_EQ(cap["frames"], 11);  // the second file's first record is the look-ahead of the first's last
    EXPECT_EQ(cap["baud"], 12000000);
    EXPECT_EQ(cap["first_ns"], 0);
    EXPECT_EQ(cap["span_ns"], (2'880'000'000ll + 4000) * 1000 / 48);
    EXPECT_EQ(doc["errors"]["frames"], 0);
    EXPECT_EQ(doc["errors"]["by_bit"].size(), 8u);
    EXPECT_TRUE(doc["errors"]["by_bit"].contains("STSRPT"));
    const Json& stations = doc["stations"];
    ASSERT_EQ(stations.size(), 3u);  // 1, 5 and the empty address 33, in order
    EXPECT_EQ(stations[0]["address"], 1);
    EXPECT_EQ(stations[0]["role"], "master");
    EXPECT_TRUE(stations[0]["slave"].is_null());
    EXPECT_EQ(stations[0]["master"]["tokens"], 5);
    EXPECT_EQ(stations[0]["master"]["rotation_ns"]["count"], 4);
    EXPECT_EQ(stations[0]["master"]["unanswered"], 0);  // the FDL status to 33 does not count
    EXPECT_EQ(stations[1]["role"], "slave");
    EXPECT_TRUE(stations[1]["master"].is_null());
    EXPECT_EQ(stations[1]["slave"]["response_ns"]["min"], 480 * 1000 / 48);
    EXPECT_EQ(stations[2]["address"], 33);
    EXPECT_EQ(stations[2]["role"], "silent");
    EXPECT_TRUE(stations[2]["first_ns"].is_null());
    EXPECT_TRUE(stations[2]["last_ns"].is_null());
    EXPECT_EQ(stations[2]["slave"]["requests"], 2);
    std::uint64_t gapCount = 0;
    std::uint64_t edge = 0;
    for (const Json& g : doc["gaps"]) {
        EXPECT_EQ(g["from_bits"], edge);
        edge = g["to_bits"];
        gapCount += g["count"].get<std::uint64_t>();
    }
    EXPECT_EQ(gapCount, 11u);
}

TEST(StatsProgram, TextAndCsvShowTheSameStations) {
    test::TempDir dir;
    WriteSmallRun(dir);
    test::StatsRun text = test::RunStats({dir.Path("cap1200")}, dir);
    ASSERT_EQ(text.Status, 0) << text.Err;
    for (const char* part : {"Summary", "Receive errors", "Live list", "Masters", "Slaves", "Gaps before frames",
                             "Silent (addressed, never heard): 33", "Bus load (%)", "Min (us)", "Min (bit)",
                             "00:00:00.000 000\n",  // the first frame, at the end of its summary row
                             "Only polled for FDL status, never answered (1 request): 33\n"})
        EXPECT_NE(text.Out.find(part), std::string::npos) << part;
    test::StatsRun csv = test::RunStats({dir.Path("cap1200"), "format=CSV"}, dir);
    ASSERT_EQ(csv.Status, 0) << csv.Err;
    EXPECT_EQ(csv.Out.substr(0, 27), "address,role,first_ns,last_");
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < csv.Out.size();) {
        std::size_t end = csv.Out.find('\n', at);
        lines.push_back(csv.Out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 4u);
    auto cells = [](const std::string& line) { return std::count(line.begin(), line.end(), ',') + 1; };
    for (const std::string& line : lines) EXPECT_EQ(cells(line), cells(lines[0])) << line;
    EXPECT_EQ(lines[1].substr(0, 9), "1,master,");
    EXPECT_EQ(lines[3].substr(0, 13), "33,silent,,,0");
}

TEST(StatsProgram, BadInputFailsWithAMessageNamingTheFile) {
    struct Case {
        const char* Name;
        std::vector<test::Bytes> Files;  // written as cap1200, cap1201, ...
        std::vector<std::string> Words;
        int Status;
        std::string Message;  // expected in standard error
    };
    test::Bytes random(5000);
    std::uint32_t x = 12345;
    for (auto& b : random) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    test::Bytes records = test::StreamOf({{0, test::Token(1, 1)}, {1000, test::Token(1, 1)}});
    const std::vector<Case> cases = {
        {"missing file", {}, {}, 2, "Unable to Open Input File %cap1200.Zelmot"},
        {"missing first file of all", {}, {"NumMin=all"}, 2, "Unable to Open Input File %cap1200.Zelmot"},
        {"missing second of two", {test::SplitIntoFiles(records, {})[0]}, {"NumMin=2"}, 2,
         "Unable to Open Input File %cap1201.Zelmot"},
        {"empty file", {{}}, {}, 2, " in %cap1200.Zelmot"},
        {"random bytes", {random}, {}, 2, " in %cap1200.Zelmot"},
        {"baud index 9", {test::SplitIntoFiles(records, {}, test::CaptureHeaderBytes(9))[0]}, {}, 2,
         "Capture File Header Error: Invalid Baud Index 9 (0-8) in %cap1200.Zelmot"},
        {"bad word", {}, {"Frames=3"}, 3, "Invalid Arg Frames=3\nuse: zelmot-stats"},
        {"bad format", {}, {"Format=xml"}, 3, "Invalid Format - xml (text, json, csv or events)\nuse: zelmot-stats"},
        {"NumMin=0", {}, {"NumMin=0"}, 3, "Invalid NumMin - 0 (1-65535)\nuse: zelmot-stats"},
        {"bad FailOn", {}, {"FailOn=note"}, 3, "Invalid FailOn - note (fault or warning)\nuse: zelmot-stats"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TempDir dir;
        if (!c.Files.empty()) test::WriteCaptureRun(dir.Path("cap"), 12, 0, c.Files);
        std::vector<std::string> args{dir.Path("cap1200")};
        args.insert(args.end(), c.Words.begin(), c.Words.end());
        test::StatsRun run = test::RunStats(args, dir);
        EXPECT_EQ(run.Status, c.Status) << run.Err;
        std::string message = c.Message;
        if (std::size_t at = message.find('%'); at != std::string::npos) message.replace(at, 1, dir.Path(""));
        EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
    test::TempDir dir;
    test::StatsRun noName = test::RunStats({}, dir);
    EXPECT_EQ(noName.Status, 3);
    EXPECT_EQ(noName.Err.substr(0, 18), "use: zelmot-stats ");
    test::StatsRun badName = test::RunStats({"cap1299"}, dir);
    EXPECT_EQ(badName.Status, 3);
    EXPECT_NE(badName.Err.find("Invalid Capture File Name Minute - 99 (00-59)"), std::string::npos);
}

TEST(StatsProgram, AGeneratedCaptureShowsItsMastersSlavesAndErrorRate) {
    test::TempDir dir;
    std::vector<std::string> words =
        test::SplitWords("--masters 3 --slaves 6 --frames 20000 --minutes 2 --error-rate 0.05 --seed 5");
    words.insert(words.begin(), dir.Path("gen"));
    test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, words);
    ASSERT_EQ(gen.ExitCode, 0) << gen.Output;
    test::StatsRun run = test::RunStats({dir.Path("gen1200"), "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(run.Status, 0) << run.Err;
    Json doc = Json::parse(run.Out);
    EXPECT_EQ(doc["capture"]["files"], 2);
    EXPECT_EQ(doc["capture"]["frames"], 2 * 20000 - 1);
    EXPECT_EQ(doc["capture"]["resyncs"], 0);
    double rate = doc["errors"]["frames"].get<double>() / doc["capture"]["frames"].get<double>();
    EXPECT_NEAR(rate, 0.05, 0.01);
    std::vector<int> masters, slaves;
    for (const Json& s : doc["stations"]) {
        int address = s["address"];
        if (!s["master"].is_null() && s["master"]["tokens"].get<int>() > 100) masters.push_back(address);
        if (s["role"] == "slave") {
            slaves.push_back(address);
            EXPECT_GT(s["slave"]["answered"].get<int>(), 100) << address;
            EXPECT_GT(s["slave"]["response_ns"]["min"].get<std::int64_t>(), 0) << address;
        }
        if (address > 10 && address != 127) {
            EXPECT_EQ(s["role"], "silent") << address;
        }
    }
    EXPECT_EQ(masters, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(slaves, (std::vector<int>{5, 6, 7, 8, 9, 10}));
}

// FailOn= ends with 4 when a finding is that bad or worse, the report
// written all the same; the bundled example has faults and warnings, a
// token ring alone none.
TEST(StatsProgram, FailOnEndsWithFourAfterTheReport) {
    test::TempDir dir;
    test::WriteCaptureRun(dir.Path("cap"), 12, 0,
                          test::SplitIntoFiles(test::StreamOf({{0, test::Token(1, 1)}, {1000, test::Token(1, 1)},
                                                               {2000, test::Token(1, 1)}}),
                                               {}));
    const std::string example = std::string(ZELMOT_SOURCE_DIR) + "/examples/demo1200";
    const struct {
        std::vector<std::string> Args;
        int Status;
    } cases[] = {
        {{example, "NumMin=all", "FailOn=fault"}, 4},
        {{example, "NumMin=all", "FailOn=Warning", "Format=json"}, 4},
        {{dir.Path("cap1200"), "FailOn=warning"}, 0},
    };
    for (const auto& c : cases) {
        test::StatsRun run = test::RunStats(c.Args, dir);
        EXPECT_EQ(run.Status, c.Status) << c.Args[0] << " " << run.Err;
        EXPECT_NE(run.Out.find("indings"), std::string::npos) << "the report is written";
    }
}

// Baseline=: a report compared with itself has no changes; a baseline that
// cannot be used fails with one line and status 2 before any capture is
// read (the capture named here does not exist).
TEST(StatsProgram, BaselinesThatCannotBeUsedFailFirst) {
    test::TempDir dir;
    const std::string example = std::string(ZELMOT_SOURCE_DIR) + "/examples/demo1200";
    test::StatsRun json = test::RunStats({example, "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(json.Status, 0) << json.Err;
    test::WriteText(dir.Path("same.json"), json.Out);
    test::StatsRun same = test::RunStats({example, "NumMin=all", "Baseline=" + dir.Path("same.json")}, dir);
    EXPECT_EQ(same.Status, 0) << same.Err;
    EXPECT_NE(same.Out.find("\nChanges since the baseline: none\n  baseline:     demo1200, first frame 12:00:00.040"),
              std::string::npos)
        << same.Out.substr(0, 2000);
    const struct {
        const char* Name;
        std::string Text;  // the file's text; none: a folder
        std::string Message;
    } cases[] = {
        {"not JSON", "Report\n", "is not a zelmot-stats JSON report: not JSON, or cut short"},
        {"cut in half", json.Out.substr(0, json.Out.size() / 2), "is not a zelmot-stats JSON report: not JSON, or cut short"},
        {"another schema", "{\"schema\": 2}", "is a report of schema 2; this zelmot-stats reads schema 1"},
        {"other JSON", "{\"schema\": 1, \"capture\": {}}", "is not a zelmot-stats JSON report: no \"stations\""},
        {"empty", "", "is empty: not a zelmot-stats JSON report"},
        {"a folder", {}, "is a folder, not a JSON report"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Path(c.Name);
        if (c.Message.find("folder") != std::string::npos) std::filesystem::create_directory(path);
        else test::WriteText(path, c.Text);
        test::StatsRun run = test::RunStats({dir.Path("none1200"), "Baseline=" + path}, dir);
        EXPECT_EQ(run.Status, 2) << c.Name;
        EXPECT_EQ(run.Err, "Baseline File " + path + " " + c.Message + "\n") << c.Name;
        EXPECT_EQ(run.Out, "") << c.Name;
    }
}

}  // namespace
}  // namespace zelmot
