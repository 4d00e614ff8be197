// The record stream: every frame becomes a record (0xDD, 48-bit time stamp,
// length, frame bytes, status), one minute after the other without a gap.
// Here a record may get a wrong length byte on purpose, and here the stream
// is cut into files, most cuts splitting the minute's last record.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/capture_format.h"
#include "gen_minute.h"
#include "gen_random.h"

namespace zelmot {

// A corrupted record lies this many records away from the next one and from
// a minute's start, and kCorruptTail from its end, so that a reader checking
// a hundred records after a sync mark can find the records again within the
// same file.
constexpr std::size_t kCorruptSpacing = 120;
constexpr std::size_t kCorruptTail = 8;

struct RecordStream {
    std::vector<std::uint8_t> Bytes;  // stream bytes not yet written to a file
    Rng CorruptRng;
    Chance CorruptChance;
    Rng CutRng;
    std::uint64_t Cuts = 0;           // file cuts made so far
    // Records a scenario wants written with a wrong length byte, by frame
    // number in the run, in order; they keep the spacing above.
    std::vector<std::uint64_t> Planned;
    std::size_t NextPlanned = 0;
    Rng PlanRng;
    std::uint64_t FramesTaken = 0;    // frames of the minutes appended so far
};

// A record written with a wrong length byte: a reader takes Length bytes of
// the frame and the byte after them as its status, and finds the next
// record again.
struct CorruptedRecord {
    std::uint32_t Slot = 0;
    std::uint8_t Length = 0;
};

struct MinuteCounts {
    std::uint32_t Frames = 0;
    std::uint32_t ReceiveErrors = 0;   // frames with a status other than 0
    std::uint32_t Corrupted = 0;       // records with a wrong length byte
    std::size_t LastRecordStart = 0;   // in RecordStream::bytes
    std::size_t LastRecordSize = 0;
    std::vector<CorruptedRecord> CorruptedRecords;  // in slot order
};

// Appends the minute's records to the stream.
MinuteCounts AppendMinuteRecords(RecordStream& stream, const MinuteFrames& minute);

// How many stream bytes go into the minute's file when another file follows:
// the cuts take turns splitting the last record inside its record header,
// inside its frame bytes and status, and falling just after it.
std::size_t ChooseCut(RecordStream& stream, const MinuteCounts& counts);

}  // namespace zelmot
