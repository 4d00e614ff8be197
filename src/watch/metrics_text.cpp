// The writer of the Prometheus text format: the HELP and TYPE lines, one
// line per sample, label values and help texts escaped, numbers in a form
// the format's readers parse back exactly.
#include "watch/metrics_text.h"

#include <cassert>
#include <charconv>
#include <cmath>

#include "common/ascii.h"

namespace zelmot {
namespace {

constexpr double kExactWhole = 9007199254740992.0;  // 2^53

void PutEscapedText(std::string& out, std::string_view text, bool quotes) {
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '"' && quotes) out += "\\\"";
        else out += c;
    }
}

void PutLabels(std::string& out, const std::vector<MetricLabel>& labels, const MetricLabel* extra) {
    if (labels.empty() && extra == nullptr) return;
    out += '{';
    bool first = true;
    auto put = [&](const MetricLabel& label) {
        assert(IsLabelName(label.Name));
        if (!first) out += ',';
        first = false;
        out += label.Name;
        out += "=\"";
        PutEscapedText(out, label.Value, true);
        out += '"';
    };
    for (const MetricLabel& label : labels) put(label);
    if (extra != nullptr) put(*extra);
    out += '}';
}

void PutSample(std::string& out, std::string_view name, std::string_view suffix, const std::vector<MetricLabel>& labels,
               const MetricLabel* extra, double value) {
    out += name;
    out += suffix;
    PutLabels(out, labels, extra);
    out += ' ';
    out += MetricNumber(value);
    out += '\n';
}

const char* TypeName(MetricType type) {
    switch (type) {
        case MetricType::Counter: return "counter";
        case MetricType::Histogram: return "histogram";
        case MetricType::Gauge: break;
    }
    return "gauge";
}

bool IsNameChar(char c, bool first, bool colon) {
    return ascii::IsAlpha(c) || c == '_' || (colon && c == ':') || (!first && ascii::IsDigit(c));
}

bool IsName(std::string_view name, bool colon) {
    if (name.empty()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (!IsNameChar(name[i], i == 0, colon)) return false;
    return true;
}

}  // namespace

bool IsMetricName(std::string_view name) { return IsName(name, true); }

bool IsLabelName(std::string_view name) { return IsName(name, false) && name.substr(0, 2) != "__"; }

std::string MetricNumber(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    char text[32];
    std::to_chars_result result{};
    if (value == std::trunc(value) && std::fabs(value) <= kExactWhole)
        result = std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(value));
    else
        result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void PutMetricFamily(std::string& out, const MetricFamily& family) {
    assert(IsMetricName(family.Name));
    assert(family.Type != MetricType::Counter || family.Name.ends_with("_total"));
    out += "# HELP ";
    out += family.Name;
    out += ' ';
    PutEscapedText(out, family.Help, false);
    out += "\n# TYPE ";
    out += family.Name;
    out += ' ';
    out += TypeName(family.Type);
    out += '\n';
    for (const MetricSeries& series : family.Series) {
        if (family.Type != MetricType::Histogram) {
            PutSample(out, family.Name, "", series.Labels, nullptr, series.Value);
            continue;
        }
        MetricLabel le{"le", {}};
        for (std::size_t i = 0; i < series.Buckets.size(); ++i) {
            const HistogramBucket& bucket = series.Buckets[i];
            assert(i == 0 || (bucket.UpperBound > series.Buckets[i - 1].UpperBound &&
                              bucket.Count >= series.Buckets[i - 1].Count));
            assert(bucket.Count <= series.Count);
            le.Value = MetricNumber(bucket.UpperBound);
            PutSample(out, family.Name, "_bucket", series.Labels, &le, static_cast<double>(bucket.Count));
        }
        le.Value = "+Inf";
        PutSample(out, family.Name, "_bucket", series.Labels, &le, static_cast<double>(series.Count));
        PutSample(out, family.Name, "_sum", series.Labels, nullptr, series.Sum);
        PutSample(out, family.Name, "_count", series.Labels, nullptr, static_cast<double>(series.Count));
    }
}

std::string MetricsText(const std::vector<MetricFamily>& families) {
    std::string out;
    for (const MetricFamily& family : families) PutMetricFamily(out, family);
    return out;
}

}  // namespace zelmot
