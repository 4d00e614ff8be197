// Record layout and the two deliberate faults of the stream: the wrong length
// byte (always shorter than the frame, chosen so that the byte where the
// reader expects the next record is not a sync mark) and the file cut that
// splits a record.
#include "gen_stream.h"

#include <cstring>

namespace zelmot {
namespace {

// A length byte that makes the reader lose the record boundary.
std::uint8_t WrongLength(Rng& rng, const std::uint8_t* frame, std::uint8_t length, std::uint8_t status) {
    std::uint8_t wrong = static_cast<std::uint8_t>(RandomBelow(rng, length));
    // The reader's next header starts right after the wrong frame and status.
    std::uint8_t landing = wrong + 1u < length ? frame[wrong + 1u] : status;
    return landing == kSyncMark ? static_cast<std::uint8_t>(length - 1) : wrong;
}

bool MayCorrupt(std::size_t index, std::size_t count, std::size_t lastCorrupted) {
    return index >= kCorruptSpacing && index + kCorruptTail < count &&
           index >= lastCorrupted + kCorruptSpacing;
}

// Whether the planned record at frame number is this one; a planned record
// keeps the rate's records kCorruptSpacing away before it too.
bool IsPlanned(const RecordStream& stream, std::uint64_t number) {
    return stream.NextPlanned < stream.Planned.size() && stream.Planned[stream.NextPlanned] == number;
}

bool NearPlanned(const RecordStream& stream, std::uint64_t number) {
    return stream.NextPlanned < stream.Planned.size() && stream.Planned[stream.NextPlanned] < number + kCorruptSpacing;
}

}  // namespace

MinuteCounts AppendMinuteRecords(RecordStream& stream, const MinuteFrames& minute) {
    MinuteCounts counts;
    std::size_t count = minute.Slots.size();
    counts.Frames = static_cast<std::uint32_t>(count);
    std::size_t start = stream.Bytes.size();
    stream.Bytes.resize(start + minute.Bytes.size() + count * (kRecordHeaderSize + 1));
    std::uint8_t* p = stream.Bytes.data() + start;
    std::size_t lastCorrupted = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const FrameSlot& slot = minute.Slots[i];
        const std::uint8_t* frame = minute.Bytes.data() + slot.Offset;
        counts.LastRecordStart = static_cast<std::size_t>(p - stream.Bytes.data());
        counts.LastRecordSize = kRecordHeaderSize + slot.Length + 1u;
        std::uint64_t stamp = minute.Stamps[i];
        p[0] = kSyncMark;
        for (int b = 0; b < 6; ++b) p[1 + b] = static_cast<std::uint8_t>(stamp >> (8 * b));
        p[7] = slot.Length;
        std::uint64_t number = stream.FramesTaken + i;
        if (IsPlanned(stream, number)) {
            ++stream.NextPlanned;
            p[7] = WrongLength(stream.PlanRng, frame, slot.Length, slot.Status);
        } else if (slot.Length > 0 && MayCorrupt(i, count, lastCorrupted) &&
                   Happens(stream.CorruptRng, stream.CorruptChance) && !NearPlanned(stream, number)) {
            p[7] = WrongLength(stream.CorruptRng, frame, slot.Length, slot.Status);
        }
        if (p[7] != slot.Length) {
            lastCorrupted = i;
            ++counts.Corrupted;
            counts.CorruptedRecords.push_back(CorruptedRecord{static_cast<std::uint32_t>(i), p[7]});
        }
        std::memcpy(p + kRecordHeaderSize, frame, slot.Length);
        p[kRecordHeaderSize + slot.Length] = slot.Status;
        p += counts.LastRecordSize;
        if (slot.Status != 0) ++counts.ReceiveErrors;
    }
    stream.FramesTaken += count;
    return counts;
}

std::size_t ChooseCut(RecordStream& stream, const MinuteCounts& counts) {
    std::size_t inside = 0;
    switch (stream.Cuts++ % 3) {
        case 0:  // inside the record header
            inside = RandomIn(stream.CutRng, 1, kRecordHeaderSize - 1);
            break;
        case 1:  // inside the frame bytes and status
            inside = RandomIn(stream.CutRng, kRecordHeaderSize,
                              static_cast<std::uint32_t>(counts.LastRecordSize - 1));
            break;
        default:  // on the record boundary
            inside = counts.LastRecordSize;
            break;
    }
    return counts.LastRecordStart + inside;
}

}  // namespace zelmot
