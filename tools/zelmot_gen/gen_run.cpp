// The minute loop. The clock starts at the start hour and minute as a time
// of day in ticks; minute k of the run ends at start + (k+1) minutes unless
// a dense minute before it pushed its frames later.
#include "gen_run.h"

#include <cstdio>
#include <string>

#include "capture/capture_format.h"
#include "common/text_out.h"
#include "gen_bus.h"
#include "gen_files.h"
#include "gen_minute.h"
#include "gen_stream.h"
#include "gen_traffic.h"

namespace zelmot {
namespace {

void PutTimeOfDay(TextOut& out, std::uint64_t ticks, const BusProfile& bus) {
    std::uint64_t ms = ticks / bus.ticksPerSecond * 1000;
    ms += ticks % bus.ticksPerSecond * 1000 / bus.ticksPerSecond;
    PutUnsigned(out, ms / 3600000 % 24, 2, Pad::Zero);
    PutChar(out, ':');
    PutUnsigned(out, ms / 60000 % 60, 2, Pad::Zero);
    PutChar(out, ':');
    PutUnsigned(out, ms / 1000 % 60, 2, Pad::Zero);
    PutChar(out, '.');
    PutUnsigned(out, ms % 1000, 3, Pad::Zero);
}

void PutSeconds(TextOut& out, std::uint64_t ticks, const BusProfile& bus) {
    PutUnsigned(out, ticks / bus.ticksPerSecond);
    PutChar(out, '.');
    PutUnsigned(out, ticks % bus.ticksPerSecond * 1000 / bus.ticksPerSecond, 3, Pad::Zero);
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
    PutCount(out, counts.frames, "frames, ");
    PutCount(out, counts.receiveErrors, "receive errors, ");
    PutCount(out, counts.corrupted, "corrupted records, ");
    PutCount(out, fileSize, "bytes, ");
    PutTimeOfDay(out, minute.stamps.front(), bus);
    PutText(out, " to ");
    PutTimeOfDay(out, minute.stamps.back(), bus);
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
    PutCount(out, counts.frames, "frames need ");
    PutSeconds(out, placement.neededTicks, bus);
    PutText(out, " s of bus time at ");
    PutText(out, bus.name);
    PutText(out, "; packed densely\n");
    CloseTextOut(out);
    std::fputs(line.c_str(), stderr);
}

}  // namespace

Outcome RunGenerator(const GenOptions& options) {
    BusProfile bus = BusProfileFor(options.baudIndex);
    TrafficState traffic;
    InitTraffic(traffic, options, bus);
    RecordStream stream;
    stream.corruptRng = SeedRng(options.seed, 3);
    stream.corruptChance = ChanceOf(options.corruptRate);
    stream.cutRng = SeedRng(options.seed, 4);
    CaptureHeaderBytes header = MakeCaptureHeader(options);

    const std::uint64_t minuteTicks = 60 * bus.ticksPerSecond;
    std::uint64_t minuteEnd = (options.startHour * 60ull + options.startMinute) * minuteTicks;
    std::uint64_t cursor = minuteEnd;
    unsigned hour = options.startHour;
    unsigned minuteOfHour = options.startMinute;
    MinuteFrames minute;
    for (std::uint32_t m = 0; m < options.minutes; ++m) {
        std::uint64_t minuteStart = minuteEnd;
        minuteEnd += minuteTicks;
        CollectMinute(traffic, options.framesPerMinute, minute);
        Placement placement = PlaceMinute(minute, bus, cursor, minuteStart, minuteEnd);
        MinuteCounts counts = AppendMinuteRecords(stream, minute);
        if (placement.dense) WarnDense(hour, minuteOfHour, counts, placement, bus);
        bool last = m + 1 == options.minutes;
        std::size_t cut = last ? stream.bytes.size() : ChooseCut(stream, counts);
        std::string name = CaptureFileName(options.stem, hour, minuteOfHour);
        Outcome written = WriteCaptureFile(name, header, stream.bytes.data(), cut);
        if (!written.IsOk()) return written;
        stream.bytes.erase(stream.bytes.begin(), stream.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        PrintSummary(name, counts, kCaptureHeaderSize + cut, minute, bus);
        AdvanceCaptureMinute(hour, minuteOfHour);
    }
    return Success();
}

}  // namespace zelmot
