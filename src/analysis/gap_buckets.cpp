// The gap histogram's buckets: powers of two of whole bit times.
#include "analysis/gap_buckets.h"

#include <cassert>

namespace zelmot {

std::uint64_t GapBucketFromBits(std::size_t bucket) {
    assert(bucket < kGapBucketCount);
    return bucket == 0 ? 0 : std::uint64_t{1} << (bucket - 1);
}

std::uint64_t GapBucketToBits(std::size_t bucket) {
    assert(bucket < kGapBucketCount);
    return std::uint64_t{1} << bucket;
}

}  // namespace zelmot
