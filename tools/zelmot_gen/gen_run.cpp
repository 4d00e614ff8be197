// The minute loop. The clock starts at the start hour and minute as a time
// of day in ticks; minute k of the run ends at start + (k+1) minutes unless
// a dense minute before it pushed its frames later. With --record, each
// minute's events follow once its frames are stamped, the minute is counted
// as a reader counts it, and the fault lines close the record.
#include "gen_run.h"

#include <cstdio>
#include <string>

#include "capture/capture_format.h"
#include "common/text_out.h"
#include "gen_bus.h"
#include "gen_fault_lines.h"
#include "gen_files.h"
#include "gen_minute.h"
#include "gen_record.h"
#include "gen_stream.h"
#include "gen_tally.h"
#include "gen_traffic.h"

namespace zelmot {
namespace {

void PutTimeOfDay(TextOut& out, std::uint64_t ticks, const BusProfile& bus) {
    std::uint64_t ms = ticks / bus.TicksPerSecond * 1000;
    ms += ticks % bus.TicksPerSecond * 1000 / bus.TicksPerSecond;
    PutUnsigned(out, ms / 3600000 % 24, 2, Pad::Zero);
    PutChar(out, ':');
    PutUnsigned(out, ms / 60000 % 60, 2, Pad::Zero);
    PutChar(out, ':');
    PutUnsigned(out, ms / 1000 % 60, 2, Pad::Zero);
    PutChar(out, '.');
    PutUnsigned(out, ms % 1000, 3, Pad::Zero);
}

void PutSeconds(TextOut& out, std::uint64_t ticks, const BusProfile& bus) {
    PutUnsigned(out, ticks / bus.TicksPerSecond);
    PutChar(out, '.');
    PutUnsigned(out, ticks % bus.TicksPerSecond * 1000 / bus.TicksPerSecond, 3, Pad::Zero);
}

void PutCount(TextOut& out, std::uint64_t count, const char* what) {
    PutUnsigned(out, count);
    PutChar(out, ' ');
    PutText(out, what);
}

void PrintSummary(const std::string& name, const MinuteCounts& counts, std::size_t fileSize,
                  const MinuteFrames& minute, const BusProfile& bus) {
    std::string line;
    TextOut out;
    OpenTextOutMemory(out, &line);
    PutText(out, name);
    PutText(out, ": ");
    PutCount(out, counts.Frames, "frames, ");
    PutCount(out, counts.ReceiveErrors, "receive errors, ");
    PutCount(out, counts.Corrupted, "corrupted records, ");
    PutCount(out, fileSize, "bytes, ");
    PutTimeOfDay(out, minute.Stamps.front(), bus);
    PutText(out, " to ");
    PutTimeOfDay(out, minute.Stamps.back(), bus);
    PutChar(out, '\n');
    CloseTextOut(out);
    std::fputs(line.c_str(), stdout);
}

void WarnDense(unsigned hour, unsigned minuteOfHour, const MinuteCounts& counts, const Placement& placement,
               const BusProfile& bus) {
    std::string line;
    TextOut out;
    OpenTextOutMemory(out, &line);
    PutText(out, "zelmot-gen: minute ");
    PutUnsigned(out, hour, 2, Pad::Zero);
    PutChar(out, ':');
    PutUnsigned(out, minuteOfHour, 2, Pad::Zero);
    PutText(out, ": ");
    PutCount(out, counts.Frames, "frames need ");
    PutSeconds(out, placement.NeededTicks, bus);
    PutText(out, " s of bus time at ");
    PutText(out, bus.Name);
    PutText(out, "; packed densely\n");
    CloseTextOut(out);
    std::fputs(line.c_str(), stderr);
}

}  // namespace

Outcome RunGenerator(const GenOptions& options) {
    BusProfile bus = BusProfileFor(options.BaudIndex);
    TrafficState traffic;
    Outcome init = InitTraffic(traffic, options, bus);
    if (!init.IsOk()) return init;
    RecordStream stream;
    stream.CorruptRng = SeedRng(options.Seed, 3);
    stream.CorruptChance = ChanceOf(options.CorruptRate);
    stream.CutRng = SeedRng(options.Seed, 4);
    stream.Planned = traffic.Segment.Corrupt;
    stream.PlanRng = SeedRng(options.Seed, 9);
    CaptureTally tally;
    CaptureHeaderBytes header = MakeCaptureHeader(options);
    RecordFile record;
    if (traffic.Recording) {
        Outcome opened = OpenRecordFile(record, options.RecordPath, options.BaudIndex);
        if (!opened.IsOk()) return opened;
    }

    const std::uint64_t minuteTicks = 60 * bus.TicksPerSecond;
    std::uint64_t minuteEnd = (options.StartHour * 60ull + options.StartMinute) * minuteTicks;
    std::uint64_t cursor = minuteEnd;
    unsigned hour = options.StartHour;
    unsigned minuteOfHour = options.StartMinute;
    MinuteFrames minute;
    for (std::uint32_t m = 0; m < options.Minutes; ++m) {
        std::uint64_t minuteStart = minuteEnd;
        minuteEnd += minuteTicks;
        CollectMinute(traffic, options.FramesPerMinute, minute);
        if (m + 1 == options.Minutes) minute.Tail = true;  // no answer of the next minute to wait for
        Placement placement = PlaceMinute(minute, bus, cursor, minuteStart, minuteEnd);
        MinuteCounts counts = AppendMinuteRecords(stream, minute);
        if (traffic.Recording) {
            std::uint64_t first = record.FramesTaken;
            WriteRecordMinute(record, traffic.Events, minute);
            TallyMinute(tally, traffic.Log, traffic.Book, minute, first, counts.CorruptedRecords, traffic.FrameLimit,
                        bus);
            ResolveBook(traffic.Book, minute, first);
        }
        if (placement.Dense) WarnDense(hour, minuteOfHour, counts, placement, bus);
        bool last = m + 1 == options.Minutes;
        std::size_t cut = last ? stream.Bytes.size() : ChooseCut(stream, counts);
        std::string name = CaptureFileName(options.Stem, hour, minuteOfHour);
        Outcome written = WriteCaptureFile(name, header, stream.Bytes.data(), cut);
        if (!written.IsOk()) {
            CloseRecordFile(record);
            return written;
        }
        stream.Bytes.erase(stream.Bytes.begin(), stream.Bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        PrintSummary(name, counts, kCaptureHeaderSize + cut, minute, bus);
        AdvanceCaptureMinute(hour, minuteOfHour);
    }
    if (!traffic.Recording) return Success();
    WriteFaultLines(record.Out, record.Baud, traffic, tally, options);
    return CloseRecordFile(record);
}

}  // namespace zelmot
