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
    minute.Bytes.clear();
    minute.Slots.clear();
    minute.StepBacks.clear();
    minute.Slots.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const GenFrame& frame = NextTrafficFrame(traffic);
        FrameSlot slot;
        slot.Offset = static_cast<std::uint32_t>(minute.Bytes.size());
        slot.GapTicks = frame.GapTicks;
        slot.IdleWeight = frame.IdleWeight;
        slot.Length = frame.Length;
        slot.Status = frame.Status;
        minute.Bytes.insert(minute.Bytes.end(), frame.Bytes.begin(), frame.Bytes.begin() + frame.Length);
        if (frame.StepBackTicks != 0) minute.StepBacks.push_back(StepBack{i, frame.StepBackTicks});
        minute.Slots.push_back(slot);
    }
    minute.Tail = !NextFrameUnweighted(traffic);
}

Placement PlaceMinute(MinuteFrames& minute, const BusProfile& bus, std::uint64_t& cursor,
                      std::uint64_t minuteStart, std::uint64_t minuteEnd) {
    Placement placement;
    if (cursor < minuteStart) cursor = minuteStart;  // the last minute's idle tail
    std::uint64_t weights = 0;
    for (const FrameSlot& slot : minute.Slots) {
        placement.NeededTicks += slot.GapTicks + FrameTicks(bus, slot.Length);
        weights += slot.IdleWeight;
    }
    if (minute.Tail || weights == 0) weights += kTailWeight;
    std::uint64_t available = minuteEnd > cursor ? minuteEnd - cursor : 0;
    placement.Dense = placement.NeededTicks > available;
    std::uint64_t spare = placement.Dense ? 0 : available - placement.NeededTicks;

    minute.Stamps.resize(minute.Slots.size());
    std::uint64_t weightSoFar = 0;
    std::uint64_t spentSoFar = 0;
    std::size_t nextBack = 0;
    for (std::size_t i = 0; i < minute.Slots.size(); ++i) {
        const FrameSlot& slot = minute.Slots[i];
        weightSoFar += slot.IdleWeight;
        std::uint64_t spent = Share(spare, weightSoFar, weights);
        std::uint64_t stamp = cursor + slot.GapTicks + (spent - spentSoFar);
        if (nextBack < minute.StepBacks.size() && minute.StepBacks[nextBack].Slot == i)
            stamp = cursor - minute.StepBacks[nextBack++].Ticks;
        spentSoFar = spent;
        minute.Stamps[i] = stamp;
        cursor = stamp + FrameTicks(bus, slot.Length);
    }
    return placement;
}

}  // namespace zelmot
