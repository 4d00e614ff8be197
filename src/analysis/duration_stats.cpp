// Duration samples: exact count, minimum, maximum and sum, the bucketed
// distribution, nearest-rank percentiles read back from the buckets, and the
// bucket edges every output format shares.
#include "analysis/duration_stats.h"

#include <bit>
#include <cassert>

namespace zelmot {
namespace {

constexpr std::size_t kFirstOctaveBucket = 1 + static_cast<std::size_t>(kDurationExactLimit);

}  // namespace

std::size_t DurationBucketOf(std::int64_t ns) {
    if (ns < 0) return 0;
    if (ns < kDurationExactLimit) return 1 + static_cast<std::size_t>(ns);
    if (ns >= std::int64_t{1} << kDurationTopOctave) return kDurationBucketCount - 1;
    auto value = static_cast<std::uint64_t>(ns);
    unsigned octave = static_cast<unsigned>(std::bit_width(value)) - 1;  // kDurationSubBits..39
    std::uint64_t sub = (value >> (octave - kDurationSubBits)) & (kDurationExactLimit - 1);
    return kFirstOctaveBucket + (octave - kDurationSubBits) * kDurationExactLimit + sub;
}

std::int64_t DurationBucketLow(std::size_t bucket) {
    assert(bucket < kDurationBucketCount);
    if (bucket == 0) return INT64_MIN;
    if (bucket < kFirstOctaveBucket) return static_cast<std::int64_t>(bucket - 1);
    if (bucket >= kDurationBucketCount - 1) return std::int64_t{1} << kDurationTopOctave;
    std::size_t index = bucket - kFirstOctaveBucket;
    unsigned octave = static_cast<unsigned>(index / kDurationExactLimit) + kDurationSubBits;
    std::int64_t sub = static_cast<std::int64_t>(index % kDurationExactLimit);
    return (kDurationExactLimit + sub) << (octave - kDurationSubBits);
}

std::int64_t DurationBucketHigh(std::size_t bucket) {
    if (bucket == 0) return 0;
    if (bucket >= kDurationBucketCount - 1) return INT64_MAX;
    return DurationBucketLow(bucket + 1);
}


void AddDuration(DurationStats& stats, std::int64_t ns) {
    if (stats.Count == 0 || ns < stats.Min) stats.Min = ns;
    if (stats.Count == 0 || ns > stats.Max) stats.Max = ns;
    ++stats.Count;
    stats.Sum += static_cast<double>(ns);
    if (stats.Buckets.empty()) stats.Buckets.resize(kDurationBucketCount);
    std::uint32_t& bucket = stats.Buckets[DurationBucketOf(ns)];
    if (bucket != UINT32_MAX) ++bucket;
}

std::int64_t DurationPercentile(const DurationStats& stats, unsigned p) {
    if (stats.Count == 0) return 0;
    // rank = ceil(p x count / 100), without overflowing the product
    std::uint64_t rank = p * (stats.Count / 100) + (p * (stats.Count % 100) + 99) / 100;
    if (rank <= 1) return stats.Min;
    if (rank >= stats.Count) return stats.Max;
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < kDurationBucketCount; ++i) {
        seen += DurationBucketSamples(stats, i);
        if (seen < rank) continue;
        if (i == 0) return stats.Min;  // the negative values
        if (i == kDurationBucketCount - 1) return stats.Max;
        std::int64_t low = DurationBucketLow(i);
        std::int64_t high = DurationBucketHigh(i);
        std::int64_t middle = low + (high - low) / 2;  // the bucket's only value when high = low + 1
        if (middle < stats.Min) return stats.Min;
        if (middle > stats.Max) return stats.Max;
        return middle;
    }
    return stats.Max;  // counts saturated
}

void FinishDuration(DurationStats& d) {
    if (d.Count == 0) return;
    d.Mean = d.Sum / static_cast<double>(d.Count);
    d.P50 = DurationPercentile(d, 50);
    d.P95 = DurationPercentile(d, 95);
    d.P99 = DurationPercentile(d, 99);
}

double NsToBits(double ns, std::uint32_t baud) { return ns * static_cast<double>(baud) / 1e9; }

}  // namespace zelmot
