// One minute of traffic: its frames taken from the traffic model and their
// time stamps. The natural gaps come from the bus rules; the minute's spare
// time is shared out over the masters' idle gaps so that the frames span the
// minute. Frames that need more than the minute are packed with their
// natural gaps only, and the next minute starts where they end. A minute
// whose last frame is a request answered in the next one keeps no idle
// tail, so the answer comes at its own delay.
#pragma once

#include <cstdint>
#include <vector>

#include "gen_bus.h"
#include "gen_traffic.h"

namespace zelmot {

struct FrameSlot {
    std::uint32_t Offset = 0;      // of the frame bytes in MinuteFrames::bytes
    std::uint32_t GapTicks = 0;    // natural idle gap before the frame
    std::uint16_t IdleWeight = 0;
    std::uint8_t Length = 0;
    std::uint8_t Status = 0;
};

// A frame whose time stamp lies before the end of the frame before it.
struct StepBack {
    std::uint32_t Slot = 0;
    std::uint32_t Ticks = 0;  // how far before
};

struct MinuteFrames {
    std::vector<std::uint8_t> Bytes;
    std::vector<FrameSlot> Slots;
    std::vector<std::uint64_t> Stamps;  // tick time stamp of each slot, once placed
    std::vector<StepBack> StepBacks;    // in slot order; rare
    bool Tail = true;                   // idle time after the last frame; none when the next
                                        // frame (an answer) must follow it at its natural gap
};

struct Placement {
    bool Dense = false;              // the frames needed more than the time left
    std::uint64_t NeededTicks = 0;   // bus time of the frames with natural gaps
};

// Takes the next count frames of the traffic.
void CollectMinute(TrafficState& traffic, std::uint32_t count, MinuteFrames& minute);

// Stamps the frames from minuteStart or from cursor (the end of the frame
// before), whichever is later, ending by minuteEnd if they fit; cursor moves
// to the end of the last frame. A frame that steps back starts its ticks
// before the end of the frame before it, and the frames after it follow on.
Placement PlaceMinute(MinuteFrames& minute, const BusProfile& bus, std::uint64_t& cursor,
                      std::uint64_t minuteStart, std::uint64_t minuteEnd);

}  // namespace zelmot
