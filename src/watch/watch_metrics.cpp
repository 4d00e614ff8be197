// The watcher's metric families, built from a finished BusStats, the open
// findings and the health of the watcher's parts.
#include "watch/watch_metrics.h"

#include <algorithm>
#include <array>

#include "common/version.h"
#include "report/dp_words.h"

namespace zelmot {
namespace {

constexpr unsigned kFirstBucketPower = 9;   // 2^9 - 1 ns = 0.511 us
constexpr unsigned kLastBucketPower = 33;   // 2^33 - 1 ns = 8.59 s
constexpr std::size_t kResponseBucketCount = kLastBucketPower - kFirstBucketPower + 1;
static_assert(kFirstBucketPower >= kDurationSubBits && kLastBucketPower < kDurationTopOctave,
              "every bound lies on an edge of the duration buckets");

constexpr std::array<double, kResponseBucketCount> MakeBounds() {
    std::array<double, kResponseBucketCount> bounds{};
    for (std::size_t i = 0; i < kResponseBucketCount; ++i)
        bounds[i] = static_cast<double>((std::int64_t{1} << (kFirstBucketPower + i)) - 1) / 1e9;
    return bounds;
}
constexpr std::array<double, kResponseBucketCount> kResponseBounds = MakeBounds();

MetricLabel StationLabel(std::size_t address) { return {"station", std::to_string(address)}; }

MetricFamily Family(const char* name, MetricType type, const char* help) { return {name, type, help, {}}; }

MetricSeries Single(double value) { return {{}, value, {}, 0, 0}; }

void AddStationValue(MetricFamily& family, std::size_t address, std::uint64_t value) {
    family.Series.push_back({{StationLabel(address)}, static_cast<double>(value), {}, 0, 0});
}

std::string StateLabel(DpState state) {
    return state == DpState::None ? std::string("none") : std::string(DpStateName(state));
}

void AddStationFamilies(std::vector<MetricFamily>& families, const BusStats& stats) {
    MetricFamily frames = Family("zelmot_frames_total", MetricType::Counter,
                                 "Frames with the station as source address: tokens, requests, responses and "
                                 "damaged frames naming it (SCs carry no address).");
    MetricFamily damaged = Family("zelmot_damaged_frames_total", MetricType::Counter,
                                  "Frames with receive errors naming the station as source address.");
    MetricFamily requests = Family("zelmot_slave_requests_total", MetricType::Counter,
                                   "Requests the slave received, of every kind.");
    MetricFamily retries = Family("zelmot_slave_retries_total", MetricType::Counter,
                                  "Retries the slave received: a master repeating an unanswered request.");
    MetricFamily unanswered = Family("zelmot_slave_unanswered_requests_total", MetricType::Counter,
                                     "Requests to the slave left unanswered (without those that expect no answer "
                                     "and unanswered FDL-status requests).");
    MetricFamily response = Family("zelmot_slave_response_seconds", MetricType::Histogram,
                                   "The slave's response time: the gap before its answer.");
    MetricFamily state = Family("zelmot_dp_slave_state", MetricType::Gauge,
                                "The DP slave's state: 1 for the state it is in, 0 for the others.");
    for (std::size_t address = 0; address < kStationCount; ++address) {
        const StationStats& station = stats.Stations[address];
        if (station.Listed) {
            const std::uint64_t sent =
                station.Master.Tokens + station.Master.Requests + station.Slave.Responses + station.ErrorFrames;
            AddStationValue(frames, address, sent);
            AddStationValue(damaged, address, station.ErrorFrames);
        }
        if (station.HasSlave) {
            AddStationValue(requests, address, station.Slave.Requests);
            AddStationValue(retries, address, station.Slave.Retries);
            AddStationValue(unanswered, address, station.Slave.Unanswered);
            response.Series.push_back(ResponseHistogram(station.Slave.Response, {StationLabel(address)}));
        }
        if (station.Dp.Active)
            for (std::size_t s = 0; s < kDpStateCount; ++s) {
                const auto each = static_cast<DpState>(s);
                state.Series.push_back({{StationLabel(address), {"state", StateLabel(each)}},
                                        each == station.Dp.State ? 1.0 : 0.0, {}, 0, 0});
            }
    }
    for (MetricFamily* family : {&frames, &damaged, &requests, &retries, &unanswered, &response, &state})
        families.push_back(std::move(*family));
}

void AddHealthFamilies(std::vector<MetricFamily>& families, const WatchHealth& health) {
    if (health.MqttOn) {
        families.push_back(Family("zelmot_mqtt_connected", MetricType::Gauge, "1 while connected to the MQTT broker."));
        families.back().Series.push_back(Single(health.MqttConnected ? 1 : 0));
        families.push_back(Family("zelmot_mqtt_messages_queued", MetricType::Gauge,
                                  "MQTT messages waiting in the bounded queue."));
        families.back().Series.push_back(Single(static_cast<double>(health.MqttQueued)));
        families.push_back(Family("zelmot_mqtt_messages_sent_total", MetricType::Counter,
                                  "MQTT messages the broker acknowledged."));
        families.back().Series.push_back(Single(static_cast<double>(health.MqttSent)));
        families.push_back(Family("zelmot_mqtt_messages_dropped_total", MetricType::Counter,
                                  "MQTT messages dropped because the queue was full."));
        families.back().Series.push_back(Single(static_cast<double>(health.MqttDropped)));
    }
    if (health.AlertOn) {
        families.push_back(Family("zelmot_alert_commands_total", MetricType::Counter, "Alert commands run."));
        families.back().Series.push_back(Single(static_cast<double>(health.AlertsRun)));
        families.push_back(Family("zelmot_alert_command_failures_total", MetricType::Counter,
                                  "Alert commands that failed: exit status not 0, killed, or not started."));
        families.back().Series.push_back(Single(static_cast<double>(health.AlertsFailed)));
        families.push_back(Family("zelmot_alerts_dropped_total", MetricType::Counter,
                                  "Alerts dropped because the queue of waiting alerts was full."));
        families.back().Series.push_back(Single(static_cast<double>(health.AlertsDropped)));
    }
}

}  // namespace

std::span<const double> ResponseBucketBounds() { return kResponseBounds; }

MetricSeries ResponseHistogram(const DurationStats& response, std::vector<MetricLabel> labels) {
    MetricSeries series{std::move(labels), 0, {}, response.Sum / 1e9, response.Count};
    std::uint64_t below = 0;
    std::size_t bucket = 0;
    for (std::size_t i = 0; i < kResponseBucketCount; ++i) {
        // Whole nanoseconds at or below 2^k - 1 are those below 2^k: the
        // buckets that end at or before that edge.
        const std::int64_t edge = std::int64_t{1} << (kFirstBucketPower + i);
        for (; bucket < kDurationBucketCount && DurationBucketHigh(bucket) <= edge; ++bucket)
            below += DurationBucketSamples(response, bucket);
        series.Buckets.push_back({kResponseBounds[i], below < response.Count ? below : response.Count});
    }
    return series;
}

std::vector<MetricFamily> WatchMetricFamilies(const BusStats& stats, std::span<const FindingCount> findings,
                                              const WatchHealth& health) {
    std::vector<MetricFamily> families;
    families.push_back(Family("zelmot_watch_info", MetricType::Gauge, "The watcher's version and capture; always 1."));
    families.back().Series.push_back({{{"version", ZELMOT_VERSION}, {"capture", health.Capture}}, 1, {}, 0, 0});
    families.push_back(Family("zelmot_watch_start_time_seconds", MetricType::Gauge,
                              "Unix time the watcher started."));
    families.back().Series.push_back(Single(health.StartTimeSeconds));
    families.push_back(Family("zelmot_last_record_age_seconds", MetricType::Gauge,
                              "Seconds since the last record arrived (since the watcher started, before one)."));
    families.back().Series.push_back(Single(health.LastRecordAgeSeconds));
    families.push_back(Family("zelmot_capture_files_total", MetricType::Counter, "Capture files opened."));
    families.back().Series.push_back(Single(static_cast<double>(stats.FilesRead)));
    families.push_back(Family("zelmot_resyncs_total", MetricType::Counter,
                              "Record boundaries lost and found again."));
    families.back().Series.push_back(Single(static_cast<double>(stats.Resyncs)));
    families.push_back(Family("zelmot_bus_frames_total", MetricType::Counter, "Every frame read, SCs included."));
    families.back().Series.push_back(Single(static_cast<double>(stats.Frames)));
    families.push_back(Family("zelmot_bus_damaged_frames_total", MetricType::Counter,
                              "Every frame read with receive errors."));
    families.back().Series.push_back(Single(static_cast<double>(stats.ErrorFrames)));
    AddStationFamilies(families, stats);
    // Rows of the same kind and severity are one series (the format allows
    // no two with the same labels).
    families.push_back(Family("zelmot_findings", MetricType::Gauge, "Findings now open, by kind and severity."));
    std::vector<MetricSeries>& open = families.back().Series;
    for (const FindingCount& row : findings) {
        auto at = std::find_if(open.begin(), open.end(), [&](const MetricSeries& s) {
            return s.Labels[0].Value == row.Kind && s.Labels[1].Value == row.Severity;
        });
        if (at != open.end()) at->Value += static_cast<double>(row.Count);
        else
            open.push_back({{{"kind", row.Kind}, {"severity", row.Severity}}, static_cast<double>(row.Count), {}, 0, 0});
    }
    AddHealthFamilies(families, health);
    return families;
}

std::string WatchMetricsText(const BusStats& stats, std::span<const FindingCount> findings,
                             const WatchHealth& health) {
    return MetricsText(WatchMetricFamilies(stats, findings, health));
}

}  // namespace zelmot
