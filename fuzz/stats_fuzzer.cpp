// Fuzz target: the bus statistics over arbitrary frames. The input gives the
// baud index, the StartRef/EndRef window and a run of frames (control byte,
// stamp step, byte count, bytes, status byte); frames go to the collection
// as the reader would hand them over, with resynchronisations where the
// control byte asks. Besides the sanitizers it checks that every request of
// the window is settled exactly once, that the histograms count every frame,
// that percentiles lie between minimum and maximum, and that the three
// reports render.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "fuzz_input.h"
#include "report/csv_report.h"
#include "report/events_report.h"
#include "report/text_report.h"

namespace {

using namespace zelmot;

constexpr std::uint64_t kStampMask = (std::uint64_t{1} << 48) - 1;

// The SAPs a DP frame is built for: the DP-V1 ones, then the DP services.
constexpr std::uint8_t kDpSaps[] = {0, 49, 50, 51, 55, 56, 57, 58, 59, 60, 61, 62};

// An SD2 frame: DA and SA from the input (a SAP pair when the address
// extension bit is set), FC, the data, LE/LEr and the check sum right.
std::string DpFrame(fuzz::ByteReader& in) {
    std::uint8_t da = in.Byte(), sa = in.Byte(), fc = in.Byte(), saps = in.Byte();
    std::string unit;
    unit += static_cast<char>(da);
    unit += static_cast<char>(sa);
    unit += static_cast<char>(fc);
    if ((saps & 0x80) != 0) {
        unit[0] = static_cast<char>(da | 0x80);
        unit[1] = static_cast<char>(sa | 0x80);
        unit += static_cast<char>(kDpSaps[(saps & 0x7F) % std::size(kDpSaps)]);
        unit += static_cast<char>(kDpSaps[in.Byte() % std::size(kDpSaps)]);
    }
    unit += in.Take(in.Byte() % 64);
    std::uint8_t sum = 0;
    for (char c : unit) sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    const auto le = static_cast<char>(unit.size());
    return std::string{'\x68', le, le, '\x68'} + unit + static_cast<char>(sum) + '\x16';
}


[[noreturn]] void Breach(const char* what, std::uint64_t detail) {
    std::fprintf(stderr, "zelmot stats fuzz: %s (%llu)\n", what, static_cast<unsigned long long>(detail));
    std::abort();
}

void CheckDuration(const DurationStats& d) {
    if (d.Count == 0) return;
    if (d.Min > d.P50 || d.P50 > d.P95 || d.P95 > d.P99 || d.P99 > d.Max) Breach("percentiles out of order", d.Count);
}

void CheckStats(const BusStats& s) {
    std::uint64_t gaps = 0, rate = 0, rateErrors = 0, masterRequests = 0, slaveRequests = 0;
    for (std::uint64_t n : s.GapBuckets) gaps += n;
    for (std::size_t i = 0; i < kRateBinLimit; ++i) rate += s.Rate.Frames[i], rateErrors += s.Rate.ErrorFrames[i];
    if (gaps != s.Frames || rate != s.Frames) Breach("histograms do not count every frame", s.Frames);
    if (rateErrors != s.ErrorFrames) Breach("error frames lost in the rate series", s.ErrorFrames);
    if (s.FramesPerSecondMax > s.Frames) Breach("a second holds more than every frame", s.FramesPerSecondMax);
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& st = s.Stations[a];
        const MasterFigures& m = st.Master;
        const SlaveFigures& v = st.Slave;
        if (m.Answered + m.Unanswered + m.NoAnswerExpected + m.FdlStatusUnanswered != m.Requests)
            Breach("a master's request settled other than once", a);
        if (v.Answered + v.Unanswered + v.NoAnswerExpected + v.FdlStatusUnanswered != v.Requests)
            Breach("a slave's request settled other than once", a);
        if (m.Retries > m.Requests || v.Retries > v.Requests) Breach("more retries than requests", a);
        if (v.Response.Count != v.Answered) Breach("an answer without its response time", a);
        if ((st.Role != StationRole::Silent) != st.Heard) Breach("role and heard disagree", a);
        if (st.Heard && st.FirstHeardNs > st.LastHeardNs) Breach("last heard before first heard", a);
        CheckDuration(m.Rotation);
        CheckDuration(v.Response);
        masterRequests += m.Requests;
        slaveRequests += v.Requests;
    }
    if (masterRequests != s.Requests || slaveRequests != s.Requests) Breach("requests lost between stations", s.Requests);
}

void CheckDp(const BusStats& s, bool inOrder) {
    const DpEvents& events = s.Events;
    if (events.Kept.size() > kDpEventsKept) Breach("more events kept than the bound", events.Kept.size());
    std::array<DpState, kStationCount> state{};
    for (std::size_t i = 0; i < events.Kept.size(); ++i) {
        const DpEvent& e = events.Kept[i];
        if (i > 0 && e.Ns < events.Kept[i - 1].Ns) Breach("events out of time order", i);
        if (e.Address >= kStationCount) Breach("an event of no address", e.Address);
        if (e.Kind == DpEventKind::Diag && e.DiagOffset + e.DiagSize > events.Bytes.size())
            Breach("a diagnosis outside the kept bytes", i);
        if (e.Kind != DpEventKind::State) continue;
        if (e.From == e.To) Breach("a state change to the same state", i);
        if (inOrder && e.From != state[e.Address]) Breach("a state change from another state", e.Address);
        state[e.Address] = e.To;
    }
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const DpSlaveStats& dp = s.Stations[a].Dp;
        if (!dp.Active && dp.State != DpState::None) Breach("a DP state without a DP request", a);
        if (inOrder && events.Dropped == 0 && dp.State != state[a]) Breach("the state is not the last change's", a);
        if (dp.DropOuts > dp.Entries + 1) Breach("more drop-outs than entries into data exchange", a);
        if (dp.ExchangeAnswered > dp.ExchangeRequests || dp.DiagWaiting > dp.ExchangeAnswered)
            Breach("more Data_Exchange answers than requests", a);
        std::uint64_t negative = dp.Negative[0] + dp.Negative[1] + dp.Negative[2];
        if (negative > s.Stations[a].Slave.Answered) Breach("more negative answers than answers", a);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in{data, size};
    auto baudIndex = static_cast<std::uint16_t>(in.Byte() % 10);  // 9 must be refused
    std::uint32_t startRef = in.Byte();
    std::uint32_t endRef = in.Byte();
    if (endRef == 0) endRef = 0xFFFFFFFFu;

    struct Input {
        bool Resync;
        CaptureFrame Frame;
    };
    std::vector<Input> frames;
    std::uint64_t stamp = in.Number(6);
    bool inOrder = true;  // no stamp steps back: the events keep the order they happened in
    while (in.Left() > 0 && frames.size() < 4096) {
        std::uint8_t control = in.Byte();
        // Steps up to about 2^23 ticks forward, or back when the control byte says.
        std::uint64_t step = in.Number(3);
        stamp = ((control & 0x02) ? stamp - step : stamp + step) & kStampMask;
        std::string bytes = (control & 0x04) ? DpFrame(in) : in.Take(in.Byte());
        inOrder = inOrder && (control & 0x02) == 0;
        Input next{(control & 0x01) != 0, CaptureFrame{}};
        std::copy(bytes.begin(), bytes.end(), next.Frame.Bytes.begin());
        next.Frame.Length = static_cast<std::uint8_t>(bytes.size());
        next.Frame.Status = in.Byte();
        next.Frame.Bytes[next.Frame.Length] = next.Frame.Status;
        next.Frame.TimeStamp = stamp;
        LocateFrameFields(next.Frame);
        if (!frames.empty()) frames.back().Frame.NextTimeStamp = stamp;
        frames.push_back(next);
    }

    // One report record per process, emptied for every input: its 2.5 MB are
    // not mapped anew each time.
    static auto stats = std::make_unique<BusStats>();
    static auto fresh = std::make_unique<BusStats>();
    *stats = *fresh;
    // The frames take the run's steps (numbering, timing, the window) as a
    // capture run would give them.
    RunSpec runSpec;
    runSpec.StartRef = startRef;
    runSpec.EndRef = endRef;
    FrameSteps steps;
    if (!StartFrameSteps(steps, runSpec, baudIndex)) {
        if (baudIndex <= 8) Breach("a valid baud index refused", baudIndex);
        return 0;
    }
    if (baudIndex > 8) Breach("baud index above 8 accepted", baudIndex);
    Analysis analysis;
    analysis.Stats = stats.get();
    StartAnalysis(analysis, baudIndex, steps.Timing.Baud);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].Resync) AnalyseResync(analysis, static_cast<std::uint32_t>(i));
        if (!AnalyseFrame(analysis, StepFrame(steps, frames[i].Frame))) break;
    }
    FinishAnalysis(analysis);
    CheckStats(*stats);
    CheckDp(*stats, inOrder);

    // The JSON document comes from the library's writer, which escapes and
    // closes what it writes; parsing it back would double the time per input.
    std::string json = JsonReport(*stats);
    if (json.empty() || json.front() != '{' || json.substr(json.size() - 2) != "}\n")
        Breach("the JSON report is not one object", json.size());
    if (TextReport(*stats).empty() || CsvReport(*stats).empty() || EventsReport(*stats).empty())
        Breach("an empty report", 0);
    return 0;
}
