// The record file of --record: the traffic's events as CSV lines, written
// minute by minute once the minute's frames have their time stamps. Each
// line gives the frame's time as a capture reader computes it (AbsTime, in
// nanoseconds), the master and station, the event, the frame's bytes and
// the event's detail words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/frame_timing.h"
#include "common/outcome.h"
#include "common/text_out.h"
#include "gen_events.h"
#include "gen_minute.h"

namespace zelmot {

struct RecordFile {
    TextOut Out;
    std::string Path;
    BaudTiming Baud;
    std::uint64_t FramesTaken = 0;  // frames of the minutes written so far
};

// Creates the file and writes the column names.
Outcome OpenRecordFile(RecordFile& record, const std::string& path, unsigned baudIndex);

// Writes and removes the events whose frames lie in the minute just placed;
// the events of later frames stay.
void WriteRecordMinute(RecordFile& record, std::vector<TrafficEvent>& events, const MinuteFrames& minute);

Outcome CloseRecordFile(RecordFile& record);

}  // namespace zelmot
