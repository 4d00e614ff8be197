// The Prometheus text writer: the lines of each type, the escaping of help
// texts and label values, the numbers, and the name rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "watch/metrics_text.h"

namespace zelmot {
namespace {

TEST(MetricsText, FamiliesOfEachTypeAreWrittenInTheExpositionFormat) {
    MetricFamily counter{"zelmot_frames_total", MetricType::Counter, "Frames sent.", {}};
    counter.Series.push_back({{{"station", "2"}}, 17, {}, 0, 0});
    counter.Series.push_back({{{"station", "5"}}, 4096, {}, 0, 0});
    MetricFamily gauge{"zelmot_mqtt_connected", MetricType::Gauge, "Up.", {}};
    gauge.Series.push_back({{}, 1, {}, 0, 0});
    MetricFamily histogram{"zelmot_slave_response_seconds", MetricType::Histogram, "Answers.", {}};
    histogram.Series.push_back({{{"station", "5"}}, 0, {{1e-6, 2}, {0.25, 3}}, 0.5, 4});
    EXPECT_EQ(MetricsText({counter, gauge, histogram}),
              "# HELP zelmot_frames_total Frames sent.\n"
              "# TYPE zelmot_frames_total counter\n"
              "zelmot_frames_total{station=\"2\"} 17\n"
              "zelmot_frames_total{station=\"5\"} 4096\n"
              "# HELP zelmot_mqtt_connected Up.\n"
              "# TYPE zelmot_mqtt_connected gauge\n"
              "zelmot_mqtt_connected 1\n"
              "# HELP zelmot_slave_response_seconds Answers.\n"
              "# TYPE zelmot_slave_response_seconds histogram\n"
              "zelmot_slave_response_seconds_bucket{station=\"5\",le=\"1e-06\"} 2\n"
              "zelmot_slave_response_seconds_bucket{station=\"5\",le=\"0.25\"} 3\n"
              "zelmot_slave_response_seconds_bucket{station=\"5\",le=\"+Inf\"} 4\n"
              "zelmot_slave_response_seconds_sum{station=\"5\"} 0.5\n"
              "zelmot_slave_response_seconds_count{station=\"5\"} 4\n");
}

TEST(MetricsText, HelpAndLabelValuesAreEscaped) {
    MetricFamily family{"zelmot_findings", MetricType::Gauge, "Back\\slash and\nnew \"line\".", {}};
    family.Series.push_back({{{"kind", "a\"b\\c\nd"}, {"severity", "fault"}}, 2, {}, 0, 0});
    EXPECT_EQ(MetricsText({family}),
              "# HELP zelmot_findings Back\\\\slash and\\nnew \"line\".\n"
              "# TYPE zelmot_findings gauge\n"
              "zelmot_findings{kind=\"a\\\"b\\\\c\\nd\",severity=\"fault\"} 2\n");
}

TEST(MetricsText, NumbersReadBackExactly) {
    struct Case {
        double Value;
        const char* Text;
    } cases[] = {
        {0, "0"},
        {-3, "-3"},
        {9007199254740992.0, "9007199254740992"},
        {18446744073709551616.0, "18446744073709551616"},
        {0.1, "0.1"},
        {5.11e-07, "5.11e-07"},
        {std::numeric_limits<double>::infinity(), "+Inf"},
        {-std::numeric_limits<double>::infinity(), "-Inf"},
        {std::nan(""), "NaN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(MetricNumber(c.Value), c.Text);
        if (std::isfinite(c.Value)) {
            EXPECT_EQ(std::strtod(MetricNumber(c.Value).c_str(), nullptr), c.Value);
        }
    }
}

TEST(MetricsText, NamesFollowTheFormatsRules) {
    for (const char* name : {"zelmot_frames_total", "a", "_x", "ns:rule_1"}) EXPECT_TRUE(IsMetricName(name)) << name;
    for (const char* name : {"", "1a", "a-b", "a b", "zelmot.frames"}) EXPECT_FALSE(IsMetricName(name)) << name;
    for (const char* name : {"station", "le", "_x"}) EXPECT_TRUE(IsLabelName(name)) << name;
    for (const char* name : {"", "a:b", "__name__", "9"}) EXPECT_FALSE(IsLabelName(name)) << name;
}

}  // namespace
}  // namespace zelmot
