// The generator's own pseudo-random numbers: splitmix64, so that a seed gives
// the same capture files with every compiler and standard library. Each
// concern (traffic, receive errors, corruption, file cuts) draws from its own
// stream, so changing one rate leaves the rest of the traffic as it was.
#pragma once

#include <cstdint>

namespace zelmot {

struct Rng {
    std::uint64_t State = 0;
};

// A stream of numbers for one concern of one seed.
inline Rng SeedRng(std::uint64_t seed, std::uint64_t stream) {
    return Rng{seed * 0xD1B54A32D192ED03ull + stream * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull};
}

inline std::uint64_t NextRandom(Rng& rng) {
    rng.State += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = rng.State;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A number in 0 .. n-1; n must be positive.
inline std::uint32_t RandomBelow(Rng& rng, std::uint32_t n) {
    return static_cast<std::uint32_t>(((NextRandom(rng) >> 32) * n) >> 32);
}

// A number in lo .. hi, both included; lo <= hi.
inline std::uint32_t RandomIn(Rng& rng, std::uint32_t lo, std::uint32_t hi) {
    return lo + RandomBelow(rng, hi - lo + 1);
}

// A probability as a threshold on 53 random bits.
struct Chance {
    std::uint64_t Threshold = 0;
};

constexpr double kChanceScale = 9007199254740992.0;  // 2^53

// rate is clamped to 0 .. 1.
inline Chance ChanceOf(double rate) {
    if (!(rate > 0.0)) return Chance{0};
    if (rate >= 1.0) return Chance{static_cast<std::uint64_t>(kChanceScale)};
    return Chance{static_cast<std::uint64_t>(rate * kChanceScale)};
}

inline bool Happens(Rng& rng, Chance chance) {
    return (NextRandom(rng) >> 11) < chance.Threshold;
}

}  // namespace zelmot
