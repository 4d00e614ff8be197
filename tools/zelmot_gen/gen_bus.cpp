// Per-baud tables: tick length as a fraction of nanoseconds, ticks per bit,
// and typical slot times and slave response delays in bit times.
#include "gen_bus.h"

namespace zelmot {
namespace {

struct BaudRow {
    const char* Name;
    std::uint64_t TickNumerator;    // tick length = numerator / denominator ns
    std::uint64_t TickDenominator;
    std::uint32_t TicksPerBit;
    std::uint32_t SlotBits;
    std::uint32_t MaxResponseBits;
};

constexpr BaudRow kBaudRows[kBaudCount] = {
    {"9k6", 10000000, 1536, 16, 100, 60},  {"19k2", 10000000, 3072, 16, 100, 60},
    {"93k75", 10000, 15, 16, 100, 60},     {"187k5", 1000, 3, 16, 100, 60},
    {"500k", 1000, 8, 16, 200, 80},        {"1m5", 1000, 24, 16, 300, 100},
    {"3m", 1000, 48, 16, 400, 100},        {"6m", 1000, 48, 8, 600, 120},
    {"12m", 1000, 48, 4, 1000, 150},
};

}  // namespace

BusProfile BusProfileFor(unsigned baudIndex) {
    const BaudRow& row = kBaudRows[baudIndex];
    BusProfile bus;
    bus.Name = row.Name;
    // Every tick length divides a second into a whole number of ticks.
    bus.TicksPerSecond = 1000000000ull * row.TickDenominator / row.TickNumerator;
    bus.TicksPerBit = row.TicksPerBit;
    bus.SlotBits = row.SlotBits;
    bus.MaxResponseBits = row.MaxResponseBits;
    return bus;
}

}  // namespace zelmot
