// Factoring a watchdog time into WD_Fact_1 x WD_Fact_2, and the run's
// watchdog from the expected token rotation.
#include "gen_watchdog.h"

#include <algorithm>

#include "gen_bus.h"

namespace zelmot {

bool EncodeWatchdog(std::uint32_t ms, bool base1ms, Watchdog& watchdog) {
    std::uint32_t unit = base1ms ? 1 : 10;
    if (ms == 0 || ms % unit != 0) return false;
    std::uint32_t product = ms / unit;
    // The largest factor up to the square root whose partner fits a byte.
    for (std::uint32_t a = 255; a >= 1; --a) {
        if (a * a > product || product % a != 0 || product / a > 255) continue;
        watchdog = Watchdog{static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(product / a), base1ms};
        return true;
    }
    return false;
}

Watchdog WatchdogAtLeast(std::uint32_t ms, bool base1ms) {
    std::uint32_t unit = base1ms ? 1 : 10;
    Watchdog w;
    for (std::uint32_t units = (ms + unit - 1) / unit; units <= 255u * 255u; ++units)
        if (EncodeWatchdog(units * unit, base1ms, w)) return w;
    return Watchdog{255, 255, base1ms};
}

std::uint64_t ExpectedRotationUs(const GenOptions& options) {
    constexpr std::uint64_t kFrameBits = 250;
    // Frames per rotation, doubled: 2 per slave, 1 token and 1/2 status poll per master.
    std::uint64_t twiceFrames = 4ull * options.Slaves + 3ull * options.Masters;
    BusProfile bus = BusProfileFor(options.BaudIndex);
    std::uint64_t bitsPerSecond = bus.TicksPerSecond / bus.TicksPerBit;
    std::uint64_t spread = twiceFrames * 60'000'000ull / 2 / options.FramesPerMinute;
    std::uint64_t packed = twiceFrames * kFrameBits * 1'000'000ull / 2 / bitsPerSecond;
    return std::max(spread, packed);
}

Watchdog RunWatchdog(const GenOptions& options) {
    std::uint32_t rotations = WantsWatchdogFault(options) ? kHeldWatchdogRotations : kWatchdogRotations;
    std::uint64_t wantedMs = ExpectedRotationUs(options) * rotations / 1000;
    if (wantedMs <= kDefaultWatchdogMs) return Watchdog{};
    return WatchdogAtLeast(wantedMs > kMaxWatchdogMs ? kMaxWatchdogMs : static_cast<std::uint32_t>(wantedMs));
}

}  // namespace zelmot
