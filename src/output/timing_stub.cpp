// Placeholder until frame timing and the time columns land.
#include "output/time_columns.h"

namespace zelmot {

bool SelectBaudTiming(std::uint16_t baudIndex, TimingState& timing) {
    if (baudIndex > 8) return false;
    timing.baud = BaudTiming{1000, 48, 4};
    return true;
}
std::int64_t TicksToNs(const BaudTiming& baud, std::int64_t ticks) {
    return ticks * baud.TickNumerator / baud.TickDenominator;
}
void ComputeFrameTiming(TimingState&, bool, std::uint64_t, std::uint64_t, std::uint8_t) {}
void WriteTimeColumns(TextOut&, const DisplayOptions&, TimingState& timing) { timing.FirstLine = false; }
void WriteTime(TextOut&, std::int64_t, const char*) {}
void WriteGraph(TextOut&, std::uint8_t, std::int64_t, std::int64_t) {}

}  // namespace zelmot
