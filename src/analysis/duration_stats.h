// A duration's figures as the statistics keep them: exact count, minimum,
// mean and maximum, and a bucketed distribution of fixed size from which the
// percentiles are read, so that any number of samples takes the same memory.
// The buckets take their room with the first sample: of a station's two
// durations most stations show one or none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelmot {

// Durations in nanoseconds bucketed for percentiles: one bucket for all
// negative values, one per value below 64 ns (exact), then 64 buckets per
// power of two up to 2^40 ns (each bucket narrower than 1/64 of its lower
// edge, so its middle lies within 1/128 of any value in it), and one bucket
// for everything from 2^40 ns (about 18 minutes) on.
constexpr unsigned kDurationSubBits = 6;
constexpr std::int64_t kDurationExactLimit = std::int64_t{1} << kDurationSubBits;  // 64 ns
constexpr unsigned kDurationTopOctave = 40;
constexpr std::size_t kDurationBucketCount =
    1 + kDurationExactLimit + (kDurationTopOctave - kDurationSubBits) * kDurationExactLimit + 1;

// Exact count, minimum, mean and maximum of a duration, its bucketed
// distribution, and the percentiles FinishDuration reads from it.
struct DurationStats {
    std::uint64_t Count = 0;
    std::int64_t Min = 0;  // valid when Count > 0
    std::int64_t Max = 0;
    double Sum = 0;        // of all samples, ns
    double Mean = 0;       // filled by FinishDuration
    std::int64_t P50 = 0;  // nearest rank, from the buckets (within 1%)
    std::int64_t P95 = 0;
    std::int64_t P99 = 0;
    // The counts by bucket: none before the first sample, then
    // kDurationBucketCount of them. Counts saturate at 2^32 - 1.
    std::vector<std::uint32_t> Buckets;
};

// The samples in a bucket; 0 before the first sample.
inline std::uint32_t DurationBucketSamples(const DurationStats& stats, std::size_t bucket) {
    return stats.Buckets.empty() ? 0 : stats.Buckets[bucket];
}

// Adds one duration sample, ns.
void AddDuration(DurationStats& stats, std::int64_t ns);

// The nearest-rank p-th percentile (0 < p <= 100) read from the buckets;
// exact at the first and last rank and below 64 ns, else within 1/128.
std::int64_t DurationPercentile(const DurationStats& stats, unsigned p);

// Fills the mean and the percentiles once the samples are in.
void FinishDuration(DurationStats& stats);

// Bucket edges of a DurationStats, ns: [low, high).
std::int64_t DurationBucketLow(std::size_t bucket);
std::int64_t DurationBucketHigh(std::size_t bucket);
std::size_t DurationBucketOf(std::int64_t ns);

// A duration in bit times at the run's bit rate: ns x bit/s / 10^9.
double NsToBits(double ns, std::uint32_t baud);

}  // namespace zelmot
