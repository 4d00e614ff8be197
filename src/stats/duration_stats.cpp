// Duration samples: exact count, minimum, maximum and sum, the bucketed
// distribution, and nearest-rank percentiles read back from the buckets.
#include <cstdint>

#include "stats/stats_collector.h"

namespace zelmot {

void AddDuration(DurationStats& stats, std::int64_t ns) {
    if (stats.Count == 0 || ns < stats.Min) stats.Min = ns;
    if (stats.Count == 0 || ns > stats.Max) stats.Max = ns;
    ++stats.Count;
    stats.Sum += static_cast<double>(ns);
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
        seen += stats.Buckets[i];
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

}  // namespace zelmot
