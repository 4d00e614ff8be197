// The watcher's metrics from the bundled example's figures: every station
// figure as the analysis counted it, the response histograms exact against
// the duration buckets, one state series per DP state, the findings and the
// health; and promtool, where it is installed, accepts the text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/process_runner.h"
#include "watch/watch_metrics.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

std::string Key(const std::string& name, std::size_t station) {
    return name + "{station=\"" + std::to_string(station) + "\"}";
}

WatchHealth SomeHealth() {
    WatchHealth health;
    health.Capture = "examples/demo1200";
    health.StartTimeSeconds = 1.7e9;
    health.LastRecordAgeSeconds = 0.25;
    health.MqttOn = true;
    health.MqttConnected = true;
    health.MqttQueued = 3;
    health.MqttSent = 40;
    health.MqttDropped = 2;
    health.AlertOn = true;
    health.AlertsRun = 5;
    health.AlertsFailed = 1;
    return health;
}

// Two rows of one kind and severity make one series.
const std::vector<FindingCount> kFindingCounts = {
    {"drop_out", "fault", 1}, {"slow_answers", "warning", 1}, {"slow_answers", "warning", 2}};

TEST(WatchMetrics, StationFiguresAreTheAnalysisFigures) {
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const auto samples = test::MetricSamples(WatchMetricsText(*stats, kFindingCounts, SomeHealth()));
    std::size_t listed = 0;
    std::size_t slaves = 0;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        SCOPED_TRACE(a);
        const StationStats& s = stats->Stations[a];
        EXPECT_EQ(samples.count(Key("zelmot_frames_total", a)), s.Listed ? 1u : 0u);
        EXPECT_EQ(samples.count(Key("zelmot_slave_retries_total", a)), s.HasSlave ? 1u : 0u);
        if (s.Listed) {
            ++listed;
            EXPECT_EQ(samples.at(Key("zelmot_frames_total", a)),
                      static_cast<double>(s.Master.Tokens + s.Master.Requests + s.Slave.Responses + s.ErrorFrames));
            EXPECT_EQ(samples.at(Key("zelmot_damaged_frames_total", a)), static_cast<double>(s.ErrorFrames));
        }
        if (s.HasSlave) {
            ++slaves;
            EXPECT_EQ(samples.at(Key("zelmot_slave_requests_total", a)), static_cast<double>(s.Slave.Requests));
            EXPECT_EQ(samples.at(Key("zelmot_slave_retries_total", a)), static_cast<double>(s.Slave.Retries));
            EXPECT_EQ(samples.at(Key("zelmot_slave_unanswered_requests_total", a)),
                      static_cast<double>(s.Slave.Unanswered));
            EXPECT_EQ(samples.at(Key("zelmot_slave_response_seconds_count", a)),
                      static_cast<double>(s.Slave.Response.Count));
            EXPECT_DOUBLE_EQ(samples.at(Key("zelmot_slave_response_seconds_sum", a)), s.Slave.Response.Sum / 1e9);
        }
    }
    EXPECT_GT(listed, 5u);
    EXPECT_GT(slaves, 5u);
    EXPECT_EQ(samples.at("zelmot_bus_frames_total"), static_cast<double>(stats->Frames));
    EXPECT_EQ(samples.at("zelmot_bus_damaged_frames_total"), static_cast<double>(stats->ErrorFrames));
    EXPECT_EQ(samples.at("zelmot_resyncs_total"), static_cast<double>(stats->Resyncs));
    EXPECT_EQ(samples.at("zelmot_capture_files_total"), 3);
}

TEST(WatchMetrics, ResponseBucketsCountEveryAnswerAtOrBelowTheirBound) {
    // Samples on both sides of each bound: 2^k - 1 ns is in, 2^k ns is out.
    const std::int64_t samples[] = {-5,   0,    511,        512,        1000,
                                    1023, 1024, 4095,       4096,       8589934591,
                                    8589934592, 1'000'000'000'000};
    DurationStats d;
    for (std::int64_t ns : samples) AddDuration(d, ns);
    MetricSeries series = ResponseHistogram(d, {});
    const auto bounds = ResponseBucketBounds();
    ASSERT_EQ(series.Buckets.size(), bounds.size());
    EXPECT_EQ(series.Count, 12u);
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const std::int64_t boundNs = (std::int64_t{1} << (9 + i)) - 1;
        EXPECT_DOUBLE_EQ(bounds[i], static_cast<double>(boundNs) / 1e9);
        std::uint64_t expected = 0;
        for (std::int64_t ns : samples)
            if (ns <= boundNs) ++expected;
        EXPECT_EQ(series.Buckets[i].Count, expected) << "le " << boundNs << " ns";
    }
}

TEST(WatchMetrics, EachDpSlaveHasOneSeriesPerStateAndOneIsSet) {
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const auto samples = test::MetricSamples(WatchMetricsText(*stats, {}, {}));
    const char* states[] = {"none", "diagnosis", "parameterised", "configured", "data_exchange", "offline"};
    std::size_t active = 0;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const DpSlaveStats& dp = stats->Stations[a].Dp;
        double set = 0;
        for (std::size_t s = 0; s < kDpStateCount; ++s) {
            const std::string key =
                "zelmot_dp_slave_state{station=\"" + std::to_string(a) + "\",state=\"" + states[s] + "\"}";
            ASSERT_EQ(samples.count(key), dp.Active ? 1u : 0u) << key;
            if (!dp.Active) continue;
            EXPECT_EQ(samples.at(key), static_cast<std::size_t>(dp.State) == s ? 1 : 0) << key;
            set += samples.at(key);
        }
        if (dp.Active) {
            ++active;
            EXPECT_EQ(set, 1) << a;
        }
    }
    EXPECT_GT(active, 3u);
}

TEST(WatchMetrics, FindingsAndHealthAreGaugesAndCounters) {
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const std::string text = WatchMetricsText(*stats, kFindingCounts, SomeHealth());
    const auto samples = test::MetricSamples(text);
    EXPECT_EQ(samples.at("zelmot_findings{kind=\"drop_out\",severity=\"fault\"}"), 1);
    EXPECT_EQ(samples.at("zelmot_findings{kind=\"slow_answers\",severity=\"warning\"}"), 3);
    EXPECT_EQ(samples.at("zelmot_last_record_age_seconds"), 0.25);
    EXPECT_EQ(samples.at("zelmot_mqtt_connected"), 1);
    EXPECT_EQ(samples.at("zelmot_mqtt_messages_queued"), 3);
    EXPECT_EQ(samples.at("zelmot_mqtt_messages_dropped_total"), 2);
    EXPECT_EQ(samples.at("zelmot_alert_command_failures_total"), 1);
    EXPECT_NE(text.find("# TYPE zelmot_findings gauge\n"), std::string::npos);
    EXPECT_NE(text.find("zelmot_watch_info{version=\""), std::string::npos);
    // Without MQTT and the alert command their families are left out.
    const std::string plain = WatchMetricsText(*stats, {}, {});
    EXPECT_EQ(plain.find("zelmot_mqtt_"), std::string::npos);
    EXPECT_EQ(plain.find("zelmot_alert"), std::string::npos);
}

TEST(WatchMetrics, PromtoolAcceptsTheText) {
    if (test::kWindows || !test::ProgramAvailable("promtool")) GTEST_SKIP() << "promtool is not installed";
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const auto path = std::filesystem::temp_directory_path() / "zelmot-watch-metrics.txt";
    for (const WatchHealth& health : {SomeHealth(), WatchHealth{}}) {
        {
            std::ofstream out(path, std::ios::binary);
            out << WatchMetricsText(*stats, kFindingCounts, health);
        }
        test::ProcessRun run = test::RunProcess("sh", {"-c", "promtool check metrics < '" + path.string() + "'"});
        EXPECT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_EQ(run.Output, "") << "promtool's lint";
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace zelmot
