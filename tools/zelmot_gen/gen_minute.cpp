// Spare time goes to the weighted gaps in proportion to their weights, and
// one more typical share stays as idle time after the minute's last frame.
// The shares are cut from running totals, so they add up to the spare time
// exactly and every gap keeps at least its natural length.
#include "gen_minute.h"

namespace zelmot {
namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kTailWeight = 64;

std::uint64_t Share(std::uint64_t spare, std::uint64_t part, std::uint64_t whole) {
    return static_cast<std::uint64_t>(static_cast<Wide>(spare) * part / whole);
}

}  // namespace

void CollectMinute(TrafficState& traffic, std::uint32_t count, MinuteFrames& minute) {
    minute.bytes.clear();
    minute.slots.clear();
    minute.slots.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const GenFrame& frame = NextTrafficFrame(traffic);
        FrameSlot slot;
        slot.offset = static_cast<std::uint32_t>(minute.bytes.size());
        slot.gapTicks = frame.gapTicks;
        slot.idleWeight = frame.idleWeight;
        slot.length = frame.length;
        slot.status = frame.status;
        minute.bytes.insert(minute.bytes.end(), frame.bytes.begin(), frame.bytes.begin() + frame.length);
        minute.slots.push_back(slot);
    }
}

Placement PlaceMinute(MinuteFrames& minute, const BusProfile& bus, std::uint64_t& cursor,
                      std::uint64_t minuteStart, std::uint64_t minuteEnd) {
    Placement placement;
    if (cursor < minuteStart) cursor = minuteStart;  // the last minute's idle tail
    std::uint64_t weights = kTailWeight;
    for (const FrameSlot& slot : minute.slots) {
        placement.neededTicks += slot.gapTicks + FrameTicks(bus, slot.length);
        weights += slot.idleWeight;
    }
    std::uint64_t available = minuteEnd > cursor ? minuteEnd - cursor : 0;
    placement.dense = placement.neededTicks > available;
    std::uint64_t spare = placement.dense ? 0 : available - placement.neededTicks;

    minute.stamps.resize(minute.slots.size());
    std::uint64_t weightSoFar = 0;
    std::uint64_t spentSoFar = 0;
    for (std::size_t i = 0; i < minute.slots.size(); ++i) {
        const FrameSlot& slot = minute.slots[i];
        weightSoFar += slot.idleWeight;
        std::uint64_t spent = Share(spare, weightSoFar, weights);
        std::uint64_t stamp = cursor + slot.gapTicks + (spent - spentSoFar);
        spentSoFar = spent;
        minute.stamps[i] = stamp;
        cursor = stamp + FrameTicks(bus, slot.length);
    }
    return placement;
}

}  // namespace zelmot
