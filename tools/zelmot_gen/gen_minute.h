// One minute of traffic: its frames taken from the traffic model and their
// time stamps. The natural gaps come from the bus rules; the minute's spare
// time is shared out over the masters' idle gaps so that the frames span the
// minute. Frames that need more than the minute are packed with their
// natural gaps only, and the next minute starts where they end.
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

struct MinuteFrames {
    std::vector<std::uint8_t> Bytes;
    std::vector<FrameSlot> Slots;
    std::vector<std::uint64_t> Stamps;  // tick time stamp of each slot, once placed
};

struct Placement {
    bool Dense = false;              // the frames needed more than the time left
    std::uint64_t NeededTicks = 0;   // bus time of the frames with natural gaps
};

// Takes the next count frames of the traffic.
void CollectMinute(TrafficState& traffic, std::uint32_t count, MinuteFrames& minute);

// Stamps the frames from minuteStart or from cursor (the end of the frame
// before), whichever is later, ending by minuteEnd if they fit; cursor moves
// to the end of the last frame.
Placement PlaceMinute(MinuteFrames& minute, const BusProfile& bus, std::uint64_t& cursor,
                      std::uint64_t minuteStart, std::uint64_t minuteEnd);

}  // namespace zelmot
