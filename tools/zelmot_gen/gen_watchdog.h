// The slaves' watchdog as Set_Prm carries it: two factors and a time base
// (10 ms, or 1 ms with WD_Base_1ms in DPV1_Status_1). The run's watchdog
// is 1000 ms unless the frame rate makes the token rotation so slow that
// 1000 ms would be less than kWatchdogRotations rotations (twice that when
// a watchdog scenario is to hold a master up); then it grows with the
// rotation, so that a plain run never comes near its watchdog.
#pragma once

#include <cstdint>

#include "gen_options.h"

namespace zelmot {

struct Watchdog {
    std::uint8_t Fact1 = 10;
    std::uint8_t Fact2 = 10;
    bool Base1ms = false;
};

constexpr std::uint32_t kDefaultWatchdogMs = 1000;
constexpr std::uint32_t kWatchdogRotations = 8;
constexpr std::uint32_t kHeldWatchdogRotations = 16;
constexpr std::uint32_t kMaxWatchdogMs = 255u * 255u * 10u;

inline std::uint32_t WatchdogMs(const Watchdog& w) {
    return std::uint32_t{w.Fact1} * w.Fact2 * (w.Base1ms ? 1u : 10u);
}

// The factors of ms on the given base, the nearer to each other the
// better (1000 ms is 10 x 10); false when ms is not a product of two
// factors up to 255 on that base.
bool EncodeWatchdog(std::uint32_t ms, bool base1ms, Watchdog& watchdog);

// The smallest watchdog of at least ms on the given base that the factors
// can hold; the largest one when none does.
Watchdog WatchdogAtLeast(std::uint32_t ms, bool base1ms = false);

// The mean token rotation in microseconds of the run: every master's hold
// polls each of its slaves once (request and answer), passes the token and
// every fourth hold polls a station for its FDL status; the frames spread
// over the minute, or, when they do not fit in it at the bit rate, take
// about 250 bit times each.
std::uint64_t ExpectedRotationUs(const GenOptions& options);

// The run's watchdog: kDefaultWatchdogMs, or kWatchdogRotations expected
// rotations when that is longer (kHeldWatchdogRotations with a watchdog
// scenario).
Watchdog RunWatchdog(const GenOptions& options);

}  // namespace zelmot
