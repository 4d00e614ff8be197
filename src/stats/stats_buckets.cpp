// Bucket edges of the duration and gap histograms, and the station role
// names: the fixed shapes that collection, percentiles and every output
// format share.
#include <bit>
#include <cassert>

#include "stats/bus_stats.h"

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

std::uint64_t GapBucketFromBits(std::size_t bucket) {
    assert(bucket < kGapBucketCount);
    return bucket == 0 ? 0 : std::uint64_t{1} << (bucket - 1);
}

std::uint64_t GapBucketToBits(std::size_t bucket) {
    assert(bucket < kGapBucketCount);
    return std::uint64_t{1} << bucket;
}

const char* StationRoleName(StationRole role) {
    switch (role) {
        case StationRole::Master: return "master";
        case StationRole::Slave: return "slave";
        case StationRole::Both: return "both";
        case StationRole::Silent: break;
    }
    return "silent";
}

}  // namespace zelmot
