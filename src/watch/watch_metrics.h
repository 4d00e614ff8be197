// zelmot-watch's /metrics: the bus figures of a BusStats, the findings by
// kind and severity, and the watcher's own health, as Prometheus metric
// families (metrics_text.h writes them). Counters are the run's figures
// since the watcher started; times are in seconds.
//
//   zelmot_frames_total{station}            frames with the station as source address
//                                           (tokens, requests, responses, and damaged
//                                           frames naming it); SCs carry no address
//   zelmot_damaged_frames_total{station}    of those, frames with receive errors
//   zelmot_bus_frames_total, zelmot_bus_damaged_frames_total   every frame, SCs included
//   zelmot_slave_requests_total{station}, zelmot_slave_retries_total{station},
//   zelmot_slave_unanswered_requests_total{station}
//   zelmot_slave_response_seconds{station}  histogram of the answers' gaps
//   zelmot_dp_slave_state{station,state}    1 for the slave's state, 0 for the others
//   zelmot_findings{kind,severity}          findings of the kind now open
//   zelmot_resyncs_total, zelmot_capture_files_total
//   zelmot_last_record_age_seconds, zelmot_watch_start_time_seconds, zelmot_watch_info
//   zelmot_mqtt_* and zelmot_alert_* when MQTT and the alert command are on
//
// The response-time buckets are le = 2^k - 1 ns for k = 9 .. 33 (0.511 us to
// 8.59 s): response times are whole nanoseconds and the statistics' buckets
// (duration_stats.h) have an edge at every power of two from 64 ns on, so
// each count is exact.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/bus_stats.h"
#include "watch/metrics_text.h"

namespace zelmot {

// One row of the findings: how many of a kind at a severity are open.
struct FindingCount {
    std::string Kind;
    std::string Severity;
    std::uint64_t Count = 0;
};

// The watcher's own state, as its parts report it.
struct WatchHealth {
    std::string Capture;               // the capture's name, as given
    double StartTimeSeconds = 0;       // Unix time the watcher started
    double LastRecordAgeSeconds = 0;   // since the last record arrived (since the start before one)
    bool MqttOn = false;
    bool MqttConnected = false;
    std::uint64_t MqttQueued = 0;      // waiting in the bounded queue
    std::uint64_t MqttSent = 0;        // acknowledged by the broker
    std::uint64_t MqttDropped = 0;     // dropped from a full queue
    bool AlertOn = false;
    std::uint64_t AlertsRun = 0;
    std::uint64_t AlertsFailed = 0;    // exit status not 0, killed, or not started
    std::uint64_t AlertsDropped = 0;   // dropped from a full queue
};

// The bounds of the response-time histogram, in seconds, ascending.
std::span<const double> ResponseBucketBounds();

// The response-time histogram of one slave from its duration statistics.
MetricSeries ResponseHistogram(const DurationStats& response, std::vector<MetricLabel> labels);

// stats must be finished (FinishBusStats: roles and listed stations known).
std::vector<MetricFamily> WatchMetricFamilies(const BusStats& stats, std::span<const FindingCount> findings,
                                              const WatchHealth& health);
std::string WatchMetricsText(const BusStats& stats, std::span<const FindingCount> findings,
                             const WatchHealth& health);

}  // namespace zelmot
