// The histogram of the bus idle time before each frame, in bit times:
// buckets by powers of two, fixed in number.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace zelmot {

// The bus idle time before each frame in bit times: bucket 0 holds [0, 1)
// and every negative gap, bucket i > 0 holds [2^(i-1), 2^i); the last one
// ends at 2^48 bit times, beyond any gap 48-bit stamps can give.
constexpr std::size_t kGapBucketCount = 49;

// Gap bucket edges in bit times: [from, to); bucket 0 also holds negative gaps.
std::uint64_t GapBucketFromBits(std::size_t bucket);
std::uint64_t GapBucketToBits(std::size_t bucket);

// The bucket of a gap of gapNs at baud bit/s: whole bit times (ns x bit
// rate / 10^9, rounded down). Inline: every frame has a gap.
inline std::size_t GapBucketOf(std::int64_t gapNs, std::uint32_t baud) {
    __extension__ typedef unsigned __int128 WideUnsigned;
    constexpr std::uint64_t kNsPerSecond = 1'000'000'000;
    if (gapNs <= 0) return 0;
    auto ns = static_cast<std::uint64_t>(gapNs);
    if (ns < (std::uint64_t{1} << 38))  // the product fits in 64 bits: the usual case, no wide division
        return static_cast<std::size_t>(std::bit_width(ns * baud / kNsPerSecond));
    WideUnsigned bits = WideUnsigned{ns} * baud / kNsPerSecond;
    if (bits >= (WideUnsigned{1} << (kGapBucketCount - 2))) return kGapBucketCount - 1;
    return static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(bits)));
}

}  // namespace zelmot
