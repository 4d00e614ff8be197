// A real Prometheus (Debian's, started by the test on a free loopback port
// with a scrape configuration of its own) scrapes the watcher's HTTP server
// serving the bundled example's metrics; after two scrapes its query API
// returns a station's damaged-frame counter and the DP state gauge as the
// analysis has them. Skipped where prometheus is not installed.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "watch/watch_http.h"
#include "watch/watch_metrics.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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

    test::Prometheus prometheus;
    prometheus.Dir = fs::temp_directory_path() / "zelmot-prometheus";
    fs::remove_all(prometheus.Dir);
    ASSERT_TRUE(prometheus.Start(HttpServerPort(server))) << prometheus.Log();
    ASSERT_TRUE(prometheus.WaitForScrapes(2, 60s)) << prometheus.Log();
    EXPECT_GE(scrapes, 2);
    EXPECT_EQ(prometheus.Query("up{job=\"zelmot\"}"), 1.0);
    EXPECT_EQ(prometheus.Query("zelmot_damaged_frames_total{station=\"" + std::to_string(damaged) + "\"}"),
              static_cast<double>(stats->Stations[damaged].ErrorFrames));
    EXPECT_EQ(prometheus.Query("zelmot_dp_slave_state{station=\"" + std::to_string(slave) +
                               "\",state=\"data_exchange\"}"),
              1.0);
    EXPECT_EQ(prometheus.Query("sum by (station) (zelmot_dp_slave_state{station=\"" + std::to_string(slave) + "\"})"),
              1.0);
    EXPECT_EQ(prometheus.Query("zelmot_slave_response_seconds_count{station=\"" + std::to_string(slave) + "\"}"),
              static_cast<double>(stats->Stations[slave].Slave.Response.Count));
    test::StopServerProcess(prometheus.Process);
    StopHttpServer(server);
    fs::remove_all(prometheus.Dir);
}

}  // namespace
}  // namespace zelmot
