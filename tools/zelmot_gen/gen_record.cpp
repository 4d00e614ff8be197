// Lines "time_ns,master,station,event,frame,detail": the frame as lower-case
// hex bytes, the detail as blank-separated key=value words (no commas). The
// time is the 48-bit record time stamp in nanoseconds, truncated as the
// capture reader's frame timing does.
#include "gen_record.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>

namespace zelmot {
namespace {

constexpr std::uint64_t kStampMask = (std::uint64_t{1} << 48) - 1;

void PutEvent(RecordFile& record, const TrafficEvent& event, const MinuteFrames& minute, std::size_t slot) {
    TextOut& out = record.Out;
    const FrameSlot& frame = minute.Slots[slot];
    PutSigned(out, TicksToNs(record.Baud, static_cast<std::int64_t>(minute.Stamps[slot] & kStampMask)));
    PutChar(out, ',');
    PutUnsigned(out, event.Master);
    PutChar(out, ',');
    PutUnsigned(out, event.Station);
    PutChar(out, ',');
    PutText(out, EventName(event.Kind));
    PutChar(out, ',');
    for (std::size_t i = 0; i < frame.Length; ++i) PutHexByte(out, minute.Bytes[frame.Offset + i]);
    PutChar(out, ',');
    PutText(out, event.Detail);
    PutChar(out, '\n');
}

}  // namespace

Outcome OpenRecordFile(RecordFile& record, const std::string& path, unsigned baudIndex) {
    record = RecordFile{};
    record.Path = path;
    TimingState timing;
    bool known = SelectBaudTiming(static_cast<std::uint16_t>(baudIndex), timing);
    assert(known);
    (void)known;
    record.Baud = timing.Baud;
    if (!OpenTextOutFile(record.Out, path))
        return ErrorText("cannot create %s: %s", path.c_str(), std::strerror(errno));
    PutText(record.Out, "time_ns,master,station,event,frame,detail\n");
    return Success();
}

void WriteRecordMinute(RecordFile& record, std::vector<TrafficEvent>& events, const MinuteFrames& minute) {
    std::uint64_t first = record.FramesTaken;
    std::uint64_t end = first + minute.Slots.size();
    std::stable_sort(events.begin(), events.end(),
                     [](const TrafficEvent& a, const TrafficEvent& b) { return a.Frame < b.Frame; });
    std::size_t done = 0;
    for (; done < events.size() && events[done].Frame < end; ++done) {
        assert(events[done].Frame >= first);  // noted before its frame was taken
        PutEvent(record, events[done], minute, static_cast<std::size_t>(events[done].Frame - first));
    }
    events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(done));
    record.FramesTaken = end;
}

Outcome CloseRecordFile(RecordFile& record) {
    if (!CloseTextOut(record.Out)) return ErrorText("cannot write %s", record.Path.c_str());
    return Success();
}

}  // namespace zelmot
