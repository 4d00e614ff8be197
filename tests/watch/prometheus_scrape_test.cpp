// A real Prometheus (Debian's, started by the test on a free loopback port
// with a scrape configuration of its own) scrapes the watcher's HTTP server
// serving the bundled example's metrics; after two scrapes its query API
// returns a station's damaged-frame counter and the DP state gauge as the
// analysis has them. Skipped where prometheus is not installed.
#include <gtest/gtest.h>

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/process_runner.h"
#include "watch/watch_http.h"
#include "watch/watch_metrics.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The value of an instant query's only sample; nullopt while there is none.
std::optional<double> QueryValue(httplib::Client& client, const std::string& query) {
    auto result = client.Get("/api/v1/query", httplib::Params{{"query", query}}, httplib::Headers{});
    if (!result || result->status != 200) return std::nullopt;
    nlohmann::json answer = nlohmann::json::parse(result->body, nullptr, false);
    if (answer.is_discarded() || answer.value("status", "") != "success") return std::nullopt;
    const auto& samples = answer["data"]["result"];
    if (!samples.is_array() || samples.size() != 1) return std::nullopt;
    return std::stod(samples[0]["value"][1].get<std::string>());
}

TEST(PrometheusScrape, TheQueryApiReturnsTheDamagedFrameCounterAndTheStateGauge) {
    if (const char* why = test::RealServersSkipped()) GTEST_SKIP() << why;
    if (test::kWindows || !test::ProgramAvailable("prometheus")) GTEST_SKIP() << "prometheus is not installed";
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    // A station with damaged frames and a DP slave, as the example has them.
    std::size_t damaged = 0;
    std::size_t slave = 0;
    for (std::size_t a = 1; a < kStationCount; ++a) {
        if (damaged == 0 && stats->Stations[a].ErrorFrames > 0) damaged = a;
        if (slave == 0 && stats->Stations[a].Dp.Active && stats->Stations[a].Dp.State == DpState::DataExchange)
            slave = a;
    }
    ASSERT_NE(damaged, 0u);
    ASSERT_NE(slave, 0u);

    std::atomic<int> scrapes{0};
    const std::string metrics = WatchMetricsText(*stats, {}, {});
    HttpServer server;
    ASSERT_TRUE(StartHttpServer({"127.0.0.1", 0}, {nullptr, nullptr, [&] { return ++scrapes, metrics; }}, server)
                    .IsOk());

    const fs::path dir = fs::temp_directory_path() / "zelmot-prometheus";
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
        std::ofstream config(dir / "prometheus.yml");
        config << "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\nscrape_configs:\n"
               << "  - job_name: zelmot\n    static_configs:\n      - targets: ['127.0.0.1:"
               << HttpServerPort(server) << "']\n";
    }
    const std::uint16_t port = test::FreeLoopbackPort();
    test::ServerProcess prometheus;
    ASSERT_TRUE(test::StartServerProcess("prometheus",
                                         {"--config.file=" + (dir / "prometheus.yml").string(),
                                          "--storage.tsdb.path=" + (dir / "data").string(),
                                          "--web.listen-address=127.0.0.1:" + std::to_string(port),
                                          "--log.level=warn"},
                                         (dir / "prometheus.log").string(), prometheus));
    ASSERT_TRUE(test::WaitForPort(port, 30s)) << test::FileText((dir / "prometheus.log").string());

    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    std::optional<double> scraped;
    while (std::chrono::steady_clock::now() < deadline) {
        scraped = QueryValue(client, "count_over_time(up{job=\"zelmot\"}[5m])");
        if (scraped && *scraped >= 2) break;
        std::this_thread::sleep_for(250ms);
    }
    ASSERT_TRUE(scraped && *scraped >= 2) << test::FileText((dir / "prometheus.log").string());
    EXPECT_GE(scrapes, 2);
    EXPECT_EQ(QueryValue(client, "up{job=\"zelmot\"}"), 1.0);
    EXPECT_EQ(QueryValue(client, "zelmot_damaged_frames_total{station=\"" + std::to_string(damaged) + "\"}"),
              static_cast<double>(stats->Stations[damaged].ErrorFrames));
    EXPECT_EQ(QueryValue(client, "zelmot_dp_slave_state{station=\"" + std::to_string(slave) +
                                     "\",state=\"data_exchange\"}"),
              1.0);
    EXPECT_EQ(QueryValue(client, "sum by (station) (zelmot_dp_slave_state{station=\"" + std::to_string(slave) +
                                     "\"})"),
              1.0);
    EXPECT_EQ(QueryValue(client, "zelmot_slave_response_seconds_count{station=\"" + std::to_string(slave) + "\"}"),
              static_cast<double>(stats->Stations[slave].Slave.Response.Count));
    test::StopServerProcess(prometheus);
    StopHttpServer(server);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zelmot
