// The period reports against the recorder stand-in (the generator's minute
// files written in pieces over midnight, the follower pumped after each):
// each period's JSON and page equal zelmot-stats' of its minutes' files byte
// for byte, named by the date the period began and its first minute; a
// missing minute lies inside its period; a folder gone costs one report, not
// the watcher; zelmot-watch stopped by SIGTERM writes the partial period,
// the bytes the zelmot-stats program writes (Release build only).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analysis_run.h"
#include "follow/capture_follower.h"
#include "gsd/gsd_library.h"
#include "html/html_report.h"
#include "support/capture_builder.h"
#include "support/process_runner.h"
#include "watch/live_analysis.h"
#include "watch/period_reports.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kMarchFirstNoonUtc = 1772366400;  // 2026-03-01 12:00 UTC
constexpr const char* kMinutes[] = {"2358", "2359", "0000", "0001", "0002"};

// Five minutes over midnight with damaged frames and records and a DP
// drop-out, made once.
struct PeriodSource {
    test::TempDir Scratch;
    fs::path Dir = Scratch.path();
};

const PeriodSource& Source() {
    static PeriodSource* generated = [] {
        auto* made = new PeriodSource;
        const test::ProcessRun gen = test::RunProcess(
            ZELMOT_GEN_EXE, {(made->Dir / "line").string(), "--start", "2358", "--minutes", "5", "--frames", "1500",
                             "--error-rate", "0.01", "--corrupt-rate", "0.002", "--dp-scenario", "dropout", "--seed",
                             "7"});
        EXPECT_EQ(gen.ExitCode, 0) << gen.Output;
        return made;
    }();
    return *generated;
}

// zelmot-stats' JSON report and page of files minute files from first (its
// name without the extension), made as the program makes them.
struct StatsOutput {
    std::string Json;
    std::string Html;
};

StatsOutput StatsOf(const fs::path& first, int files) {
    RunSettings settings;
    DeriveCaptureNames(first.string(), settings);
    settings.NumMin = static_cast<std::uint16_t>(files);
    auto stats = std::make_unique<BusStats>();
    const Outcome read = AnalyseCapture(settings, *stats, nullptr);
    EXPECT_TRUE(read.IsOk()) << read.Text;
    const GsdMatches matches = MatchGsdDevices(GsdLibrary{}, false, *stats);
    const ReportDocument document = BuildReportDocument(*stats, matches, first.filename().string());
    StatsOutput output{JsonReport(document), ""};
    TextOut page;
    OpenTextOutMemory(page, &output.Html);
    PutHtmlReport(page, settings, *stats, document, matches);
    CloseTextOut(page);
    return output;
}

std::vector<std::string> SortedNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The follower into the live analysis and the period reports, pumped by the
// test after each piece written; the wall clock a day later at each period.
struct PeriodWatch {
    fs::path Dir;
    fs::path Reports;
    LiveAnalysis Live;
    PeriodReports Periods;
    CaptureFollower Follower;
    std::vector<std::string> Log;
    std::time_t Clock = kMarchFirstNoonUtc;

    PeriodWatch(const std::string& name, std::uint32_t minutes)
        : Dir(Source().Dir / ("watched-" + name)), Reports(Dir / "reports") {
        fs::remove_all(Dir);
        fs::create_directories(Reports);
        PeriodSettings settings;
        settings.Folder = Reports.string();
        settings.Stem = (Dir / "line").string();
        settings.Minutes = minutes;
        settings.Log = [this](const std::string& text) { Log.push_back(text); };
        settings.Now = [this] { return (Clock += 86400) - 86400; };
        FollowSettings follow;
        follow.Stem = settings.Stem;
        StartFollower(Follower, follow, PeriodReportSink(Periods, std::move(settings), LiveAnalysisSink(Live)), nullptr);
    }
    ~PeriodWatch() {
        StopFollower(Follower);
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    void Write(const std::string& hhmm, std::size_t piece) {
        const std::string bytes = test::FileText(Source().Dir / ("line" + hhmm + ".Zelmot"));
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            std::ofstream out(Dir / ("line" + hhmm + ".Zelmot"), std::ios::binary | std::ios::app);
            out.write(bytes.data() + at, static_cast<std::streamsize>(std::min(piece, bytes.size() - at)));
            out.close();
            ASSERT_EQ(PumpFollower(Follower), FollowState::Waiting);
        }
    }
};

TEST(PeriodReports, EachPeriodIsZelmotStatsReportOfItsMinutesNamedByDateAndFirstMinute) {
    struct Case {
        std::uint32_t Every;
        const char* Missing;  // a minute the recorder never wrote, or ""
        std::vector<std::pair<const char*, int>> Periods;  // first minute, files
    } cases[] = {
        {2, "", {{"2358", 2}, {"0000", 2}, {"0002", 1}}},
        {5, "", {{"2358", 5}}},
        {1440, "", {{"2358", 5}}},
        // The gap lies inside the first period; the file after it begins the next.
        {3, "0000", {{"2358", 2}, {"0001", 2}}},
        // Files on both sides of the gap in one period: no run of consecutive
        // minutes to compare with, but the page names its real last file.
        {5, "0000", {{"2358", 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("every " + std::to_string(c.Every) + " minutes, missing " + c.Missing);
        PeriodWatch watch("every" + std::to_string(c.Every), c.Every);
        std::string last;
        for (const char* minute : kMinutes) {
            if (minute == std::string(c.Missing)) {
                // The file before the gap was written minutes before the one after it.
                const fs::path before = watch.Dir / ("line" + last + ".Zelmot");
                fs::last_write_time(before, fs::last_write_time(before) - std::chrono::minutes(2));
                continue;
            }
            watch.Write(minute, 4093);
            last = minute;
        }
        FinishPeriod(watch.Periods);  // the stop: the last period, partial or not

        std::vector<std::string> bases;  // in the periods' order
        std::vector<std::string> names;
        for (const auto& [first, files] : c.Periods) {
            bases.push_back("line-2026030" + std::to_string(bases.size() + 1) + "-" + first);
            names.push_back(bases.back() + ".html");
            names.push_back(bases.back() + ".json");
        }
        std::sort(names.begin(), names.end());
        ASSERT_EQ(SortedNames(watch.Reports), names);  // and no temporary file left
        EXPECT_EQ(watch.Periods.Written, c.Periods.size());
        EXPECT_EQ(watch.Log.size(), c.Periods.size());

        std::uint64_t frames = 0;
        for (std::size_t i = 0; i < bases.size(); ++i) {
            const auto& [first, files] = c.Periods[i];
            SCOPED_TRACE(bases[i]);
            // Text files, as zelmot-stats writes them (CR LF on Windows).
            const std::string json = test::FromTextMode(test::FileText(watch.Reports / (bases[i] + ".json")));
            const std::string html = test::FromTextMode(test::FileText(watch.Reports / (bases[i] + ".html")));
            frames += ReportDocument::parse(json)["capture"]["frames_read"].get<std::uint64_t>();
            // A record cut by the gap is read on into the file after it, as
            // the whole run reads it: that period starts a record later.
            if (*c.Missing != '\0' && i > 0) continue;
            if (*c.Missing != '\0' && files == 4) {
                const std::size_t row = html.find("Files read");
                ASSERT_NE(row, std::string::npos);
                const std::string text = html.substr(row, html.find("</tr>", row) - row);
                EXPECT_NE(text.find("line2358.Zelmot to "), std::string::npos) << text;
                EXPECT_NE(text.find("line0002.Zelmot"), std::string::npos) << text;
                continue;
            }
            const StatsOutput want = StatsOf(watch.Dir / ("line" + std::string(first)), files);
            EXPECT_EQ(test::ReportDifferences(ReportDocument::parse(want.Json), ReportDocument::parse(json)), "");
            EXPECT_TRUE(json == want.Json) << "the JSON differs in its bytes";
            EXPECT_TRUE(html == want.Html) << "the page differs";
        }
        // Every frame of the run is in one period but the records over each
        // period's end, which a run of its files leaves out too.
        EXPECT_EQ(frames + watch.Periods.LeftOut,
                  SnapshotDocument(*SnapshotAnalysis(watch.Live))["capture"]["frames_read"].get<std::uint64_t>());
    }
}

TEST(PeriodReports, AFolderGoneCostsOneReportAndAMissingOneIsRefusedAtStart) {
    PeriodWatch watch("unwritable", 1);
    watch.Write("2358", 1u << 20);
    fs::remove_all(watch.Reports);  // gone while its period is open
    watch.Write("2359", 1u << 20);
    ASSERT_EQ(watch.Log.size(), 1u);
    EXPECT_NE(watch.Log[0].find("line-20260301-2358 not written: Cannot create the file"), std::string::npos)
        << watch.Log[0];
    fs::create_directories(watch.Reports);
    watch.Write("0000", 1u << 20);
    EXPECT_EQ(watch.Periods.Failed, 1u);
    EXPECT_EQ(watch.Periods.Written, 1u);
    EXPECT_EQ(SortedNames(watch.Reports), (std::vector<std::string>{"line-20260302-2359.html", "line-20260302-2359.json"}));
    // At the start: the folder must be there and take a file, and the check leaves none.
    EXPECT_TRUE(CheckReportFolder(watch.Reports.string()).IsOk());
    EXPECT_EQ(SortedNames(watch.Reports).size(), 2u);
    const fs::path none = watch.Dir / "none";
    EXPECT_EQ(CheckReportFolder(none.string()).Text, "Invalid Report - " + none.string() + " (no such folder)");
}

std::string LocalDate() {
    const std::time_t now = std::time(nullptr);
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y%m%d", std::localtime(&now));
    return text;
}

TEST(PeriodReports, ZelmotWatchWritesTheLastPeriodWhenStopped) {
    if (const char* why = test::RealServersSkipped()) GTEST_SKIP() << why;
    if (test::kWindows) GTEST_SKIP() << "the test stops the watcher with SIGTERM";
    test::TempDir scratch;
    const fs::path live = scratch.path() / "live";
    const fs::path reports = scratch.path() / "reports";
    fs::create_directories(live);
    fs::create_directories(reports);
    const std::uint16_t port = test::FreeLoopbackPort();
    const std::string dateBefore = LocalDate();
    test::ServerProcess watcher;
    ASSERT_TRUE(test::StartServerProcess(ZELMOT_WATCH_EXE,
                                         {(live / "line").string(), "From=2358", "Http=" + std::to_string(port),
                                          "Report=" + reports.string(), "ReportEvery=60"},
                                         (scratch.path() / "watch.log").string(), watcher));
    ASSERT_TRUE(test::WaitForPort(port, std::chrono::seconds(10))) << test::FileText(watcher.LogPath);
    for (const char* minute : {"2358", "2359"})
        std::ofstream(live / ("line" + std::string(minute) + ".Zelmot"), std::ios::binary)
            << test::FileText(Source().Dir / ("line" + std::string(minute) + ".Zelmot"));
    const fs::path page = scratch.path() / "stats.html";
    const test::ProcessRun stats = test::RunProcess(
        ZELMOT_STATS_EXE, {(live / "line2358").string(), "NumMin=2", "Format=json", "Html=" + page.string()}, {"", false});
    ASSERT_EQ(stats.ExitCode, 0) << stats.Errors;
    const auto framesRead = ReportDocument::parse(stats.Output)["capture"]["frames_read"];
    // Stopped once everything written is read.
    for (const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         std::chrono::steady_clock::now() < limit;) {
        const ReportDocument now = ReportDocument::parse(
            test::HttpBodyOf(test::RawHttpExchange(port, "GET /report.json HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")),
            nullptr, false);
        if (now.is_object() && now["capture"]["frames_read"] == framesRead) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(fs::is_empty(reports));  // the period is not over yet
    test::StopServerProcess(watcher);
    EXPECT_EQ(watcher.ExitStatus, 0) << test::FileText(watcher.LogPath);
    const std::vector<std::string> names = SortedNames(reports);
    ASSERT_EQ(names.size(), 2u) << test::FileText(watcher.LogPath);
    const std::string date = names[0].substr(5, 8);
    EXPECT_TRUE(date == dateBefore || date == LocalDate()) << names[0];
    EXPECT_EQ(names[0], "line-" + date + "-2358.html");
    EXPECT_EQ(names[1], "line-" + date + "-2358.json");
    // zelmot-stats' own output for the same files, byte for byte.
    EXPECT_TRUE(test::FileText(reports / names[1]) == stats.Output);
    EXPECT_TRUE(test::FileText(reports / names[0]) == test::FileText(page));
}

}  // namespace
}  // namespace zelmot
