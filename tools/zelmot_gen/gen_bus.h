// Bus speed facts the generator needs for one baud index: the capture
// device's tick rate and ticks per bit, and the bus parameters (slot time,
// slave response delays) that shape the idle gaps between frames.
#pragma once

#include <cstdint>

namespace zelmot {

constexpr unsigned kBaudCount = 9;
constexpr std::uint32_t kBitsPerCharacter = 11;  // start, 8 data, parity, stop
constexpr std::uint32_t kSyncBits = 33;          // idle bits before a master may send

struct BusProfile {
    const char* Name = "";                // "9k6" .. "12m"
    std::uint64_t TicksPerSecond = 0;     // capture-device ticks in one second
    std::uint32_t TicksPerBit = 0;
    std::uint32_t SlotBits = 0;           // how long a master waits for an answer
    std::uint32_t MaxResponseBits = 0;    // slowest slave's answer delay
};

// baudIndex must be below kBaudCount.
BusProfile BusProfileFor(unsigned baudIndex);

// Ticks a frame of byteCount bytes occupies on the bus.
inline std::uint64_t FrameTicks(const BusProfile& bus, std::uint32_t byteCount) {
    return static_cast<std::uint64_t>(byteCount) * kBitsPerCharacter * bus.TicksPerBit;
}

}  // namespace zelmot
