// The Prometheus text exposition format (version 0.0.4) as plain records:
// a metric family is a name, a type, a help text and its series, each
// series its labels and its value (a histogram its cumulative buckets, sum
// and count). MetricsText writes the families in the order given, each with
// its HELP and TYPE lines; help texts and label values are escaped as the
// format asks. Names are checked (asserts) against the format's rules, a
// counter's name ends in _total.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelmot {

enum class MetricType : std::uint8_t { Counter, Gauge, Histogram };

struct MetricLabel {
    std::string Name;
    std::string Value;
};

// One bucket of a histogram: the observations at or below UpperBound.
struct HistogramBucket {
    double UpperBound = 0;
    std::uint64_t Count = 0;  // cumulative
};

struct MetricSeries {
    std::vector<MetricLabel> Labels;
    double Value = 0;                      // counters and gauges
    std::vector<HistogramBucket> Buckets;  // histograms: ascending bounds, without +Inf
    double Sum = 0;                        // histograms
    std::uint64_t Count = 0;               // histograms: also the +Inf bucket
};

struct MetricFamily {
    std::string Name;  // of a histogram without its _bucket, _sum and _count
    MetricType Type = MetricType::Gauge;
    std::string Help;
    std::vector<MetricSeries> Series;
};

// [a-zA-Z_:][a-zA-Z0-9_:]*, and for labels without ':' and not starting "__".
bool IsMetricName(std::string_view name);
bool IsLabelName(std::string_view name);

// A sample value as the format writes it: whole numbers up to 2^53 in
// full, others in the shortest form that reads back the same, and +Inf,
// -Inf, NaN.
std::string MetricNumber(double value);

// Appends one family: HELP, TYPE, then its series.
void PutMetricFamily(std::string& out, const MetricFamily& family);
std::string MetricsText(const std::vector<MetricFamily>& families);

}  // namespace zelmot
