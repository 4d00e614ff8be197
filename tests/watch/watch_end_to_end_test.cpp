// zelmot-watch as a plant runs it, against a real mosquitto: a generated
// fault scenario (a slave that drops out) written minute by minute is a
// finding on the console and on MQTT within 2 s of the file holding the
// record after its evidence (the reader's look-ahead); the slaves' states
// are retained for a subscriber who comes later; /report.json holds
// zelmot-stats' report of the same files key for key; a real Prometheus
// scraping /metrics has the finding and the slaves' states, and the live
// page in headless Chromium shows the finding and each slave's state (each
// where installed); SIGTERM ends the watcher cleanly. Release build only
// (time), where mosquitto is installed.
#include <gtest/gtest.h>

#include "watch/watch_test_support.h"

#ifdef ZELMOT_WATCH_MQTT

#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>
#include <vector>
#include <sstream>

#include "support/process_runner.h"
#include "watch/mqtt_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool HasFinding(const std::vector<test::Received>& got, const std::string& kind) {
    for (const test::Received& r : got)
        if (r.Topic == "zelmot/e2e/finding" && ReportDocument::parse(r.Payload, nullptr, false).value("kind", "") == kind)
            return true;
    return false;
}

// Text as the browser writes it in its DOM.
std::string HtmlText(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

// Each DP slave's address and state at the end, as a report has them.
std::vector<std::pair<std::string, std::string>> SlaveStates(const ReportDocument& report) {
    std::vector<std::pair<std::string, std::string>> states;
    for (const ReportDocument& station : report["stations"])
        if (station["dp"].is_object())
            states.emplace_back(station["address"].dump(),
                                station["dp"]["state"].is_string() ? station["dp"]["state"].get<std::string>() : "none");
    return states;
}

ReportDocument WatchReport(std::uint16_t port) {
    const std::string body =
        test::HttpBodyOf(test::RawHttpExchange(port, "GET /report.json HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    return ReportDocument::parse(body, nullptr, false);
}

TEST(WatchEndToEnd, AFaultWrittenMinuteByMinuteIsAFindingOnTheConsoleAndOnMqttWithinTwoSeconds) {
    if (const char* why = test::RealServersSkipped()) GTEST_SKIP() << why;
    if (test::MosquittoProgram().empty()) GTEST_SKIP() << "mosquitto is not installed";
    const fs::path dir = fs::temp_directory_path() / "zelmot-watch-e2e";
    fs::remove_all(dir);
    fs::create_directories(dir / "source");
    fs::create_directories(dir / "live");
    const test::ProcessRun gen = test::RunProcess(
        ZELMOT_GEN_EXE, {(dir / "source/plant").string(), "--start", "1200", "--minutes", "3", "--frames", "2000",
                         "--fault", "slave_lost"});
    ASSERT_EQ(gen.ExitCode, 0) << gen.Output;
    const test::ProcessRun stats = test::RunProcess(
        ZELMOT_STATS_EXE, {(dir / "source/plant1200").string(), "NumMin=3", "Format=json"}, {"", false});
    ASSERT_EQ(stats.ExitCode, 0) << stats.Errors;
    const ReportDocument want = ReportDocument::parse(stats.Output);
    ASSERT_EQ(want["findings"][0]["kind"], "slave_lost");
    const std::string title = want["findings"][0]["title"].get<std::string>();
    // The minute whose file holds the record after the last evidence frame
    // (the generator writes 2000 records a minute).
    const std::uint64_t after = want["findings"][0]["evidence"].back()["reference"].get<std::uint64_t>() + 1;
    const std::size_t evidenceMinute = static_cast<std::size_t>((after - 1) / 2000);
    ASSERT_LT(evidenceMinute, 2u);

    test::Broker broker;
    broker.Dir = dir / "broker";
    fs::create_directories(broker.Dir);
    broker.Port = test::FreeLoopbackPort();
    ASSERT_TRUE(broker.Start()) << test::FileText((broker.Dir / "broker1.log").string());
    test::Subscriber subscriber;
    ASSERT_TRUE(subscriber.Start(broker.Port, "zelmot-e2e-sub", false, "zelmot/e2e/#"));
    const std::uint16_t httpPort = test::FreeLoopbackPort();
    test::ServerProcess watcher;
    ASSERT_TRUE(test::StartServerProcess(
        ZELMOT_WATCH_EXE,
        {(dir / "live/plant").string(), "From=1200", "Http=" + std::to_string(httpPort),
         "Mqtt=127.0.0.1:" + std::to_string(broker.Port), "MqttTopic=zelmot/e2e"},
        (dir / "watch.log").string(), watcher));
    ASSERT_TRUE(test::WaitForPort(httpPort, std::chrono::seconds(10))) << test::FileText(watcher.LogPath);
    // Prometheus starts while the minutes are written.
    test::Prometheus prometheus;
    prometheus.Dir = dir / "prometheus";
    const bool scraped = !test::kWindows && test::ProgramAvailable("prometheus");
    if (scraped) {
        ASSERT_TRUE(prometheus.Start(httpPort)) << prometheus.Log();
    }

    const char* minutes[] = {"1200", "1201", "1202"};
    for (std::size_t i = 0; i < 3; ++i) {
        std::ofstream(dir / ("live/plant" + std::string(minutes[i]) + ".Zelmot"), std::ios::binary)
            << test::FileText(dir / ("source/plant" + std::string(minutes[i]) + ".Zelmot"));
        if (i != evidenceMinute) continue;
        const Clock::time_point written = Clock::now();
        const bool arrived = subscriber.WaitFor(
            [](const std::vector<test::Received>& messages) { return HasFinding(messages, "slave_lost"); }, std::chrono::seconds(2));
        const auto latency = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - written);
        EXPECT_TRUE(arrived) << test::FileText(watcher.LogPath);
        std::cout << "record to MQTT finding: " << latency.count() << " ms\n";
    }
    // Everything read: the report is zelmot-stats' report of the same files.
    ReportDocument got;
    for (const Clock::time_point limit = Clock::now() + std::chrono::seconds(5); Clock::now() < limit;) {
        got = WatchReport(httpPort);
        if (got.is_object() && got["capture"]["frames_read"] == want["capture"]["frames_read"]) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(got.is_object());
    EXPECT_EQ(test::ReportDifferences(want, got), "");
    EXPECT_TRUE(got["watch"]["recording_gaps"].empty());

    // A dashboard that connects now sees each slave's state, retained.
    test::Subscriber later;
    ASSERT_TRUE(later.Start(broker.Port, "zelmot-e2e-later", false, "zelmot/e2e/slave/+/state"));
    EXPECT_TRUE(later.WaitFor(
        [](const std::vector<test::Received>& messages) {
            for (const test::Received& r : messages)
                if (r.Topic == "zelmot/e2e/slave/10/state" && r.Retained &&
                    ReportDocument::parse(r.Payload, nullptr, false).value("state", "") == "data_exchange")
                    return true;
            return false;
        },
        std::chrono::seconds(5)));

    const ReportDocument& finding = want["findings"][0];
    const auto slaves = SlaveStates(want);
    ASSERT_GE(slaves.size(), 2u);
    // The live page as headless Chromium builds it: the finding, and each
    // slave's row with its state.
    if (!test::kWindows && !test::HeadlessBrowser().empty()) {
        const test::ProcessRun page = test::BrowserDom(
            test::HeadlessBrowser(), "http://127.0.0.1:" + std::to_string(httpPort) + "/", dir / "browser");
        ASSERT_EQ(page.ExitCode, 0) << page.Errors;
        EXPECT_NE(page.Output.find(HtmlText(title)), std::string::npos) << page.Output;
        for (const auto& [address, state] : slaves) {
            const std::size_t row = page.Output.find("<tr data-address=\"" + address + "\">");
            ASSERT_NE(row, std::string::npos) << address;
            EXPECT_NE(page.Output.substr(row, page.Output.find("</tr>", row) - row).find("class=\"state-" + state + "\""),
                      std::string::npos)
                << address;
        }
    } else {
        std::cout << "no headless Chromium: the live page not loaded\n";
    }

    // Prometheus' query API (it went on scraping meanwhile): the finding
    // gauge and the slaves' states as the report has them.
    if (scraped) {
        const std::string open = "zelmot_findings{kind=\"slave_lost\",severity=\"" +
                                 finding["severity"].get<std::string>() + "\"}";
        EXPECT_TRUE(prometheus.WaitForValue(open, 1.0, std::chrono::seconds(30))) << prometheus.Log();
        for (const auto& [address, state] : slaves)
            EXPECT_TRUE(prometheus.WaitForValue(
                "zelmot_dp_slave_state{station=\"" + address + "\",state=\"" + state + "\"}", 1.0, std::chrono::seconds(10)))
                << address;
        test::StopServerProcess(prometheus.Process);
    } else {
        std::cout << "prometheus is not installed: /metrics not scraped\n";
    }

    test::StopServerProcess(watcher);
    EXPECT_EQ(watcher.ExitStatus, 0);
    const std::string console = test::FileText(watcher.LogPath);
    EXPECT_NE(console.find("new fault: " + title), std::string::npos) << console;
    broker.Stop();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace zelmot

#endif
