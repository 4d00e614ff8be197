// The near misses, the plant changes, and the writing of all fault lines.
// A near miss names its scenario's frames and the figures that keep it
// short of its rule: capture_gap_near its gaps of 11 bit times and the
// short gaps found (none), common_cause_near how far apart its slaves
// dropped, watchdog_*_near the interval against the watchdog,
// errors_local_near and retries_near the slave's counts, errors_spread_near
// the segment's.
#include "gen_fault_lines.h"

#include <algorithm>

#include "gen_events.h"
#include "gen_fault_rules.h"

namespace zelmot {
namespace {

std::vector<const SlaveState*> SlavesOf(const TrafficState& t, FaultKind kind) {
    std::vector<const SlaveState*> slaves;
    for (const SlaveState& s : t.Slaves)
        if (s.Fault.Chosen && s.Fault.Kind == kind) slaves.push_back(&s);
    return slaves;
}

FaultLine NearLine(const RuleInput& in, FaultKind kind, std::uint8_t station) {
    FaultLine line;
    line.Event = "near_miss";
    line.Rule = FaultInfoOf(kind).Rule;
    line.Scenario = FaultName(kind);
    line.Station = station;
    if (station != kNoStation) line.Master = in.Traffic.Masters[in.Traffic.Slaves[station - kFirstSlaveAddress].MasterIndex].Address;
    line.Count = 1;
    return line;
}

// The drops of the near miss's slaves, in frame order.
std::vector<const DropSeen*> DropsOf(const TrafficState& t, const std::vector<const SlaveState*>& slaves) {
    std::vector<const DropSeen*> drops;
    for (const DropSeen& d : t.Log.Drops)
        for (const SlaveState* s : slaves)
            if (s->Address == d.Slave && Resolved(t.Book, d.Entry) != nullptr) drops.push_back(&d);
    return drops;
}

void AddSlaveNearMiss(FaultLines& lines, const RuleInput& in, FaultKind kind) {
    const TrafficState& t = in.Traffic;
    std::vector<const SlaveState*> slaves = SlavesOf(t, kind);
    if (slaves.empty()) return;
    std::uint8_t address = slaves.front()->Address;
    const StationTally& st = in.Tally.Stations[address];
    FaultLine line = NearLine(in, kind, address);
    switch (kind) {
        case FaultKind::CommonCauseNear:
        case FaultKind::WatchdogExpiredNear: {
            std::vector<const DropSeen*> drops = DropsOf(t, slaves);
            for (const DropSeen* d : drops) line.Evidence.push_back(Resolved(t.Book, d->Entry));
            if (drops.empty()) return;
            line.Count = drops.size();
            if (kind == FaultKind::CommonCauseNear && drops.size() >= 2) {
                AddNumberDetail(line.Words, "apart_ns",
                                FrameNs(lines, *line.Evidence[1]) - FrameNs(lines, *line.Evidence[0]));
            } else if (kind == FaultKind::WatchdogExpiredNear) {
                AddNumberDetail(line.Words, "interval_ns", DropIntervalNs(lines, *drops.front()));
                AddNumberDetail(line.Words, "watchdog_ms", drops.front()->WatchdogMs);
            }
            break;
        }
        case FaultKind::WatchdogTightNear:
            if (st.LongestInterval < 0) return;
            line.Evidence.push_back(&st.LongestEnd);
            line.Words = IntervalWords(lines, st, t.Log.Slaves[address].WatchdogMs);
            break;
        case FaultKind::ErrorsLocalNear:
            line.Evidence = EvidenceOf(t.Book, st.SaDamaged);
            line.Count = st.SaDamaged.Count;
            line.Words = ShareWords(in.Tally, address);
            break;
        case FaultKind::RetriesNear:
            line.Evidence = EvidenceOf(t.Book, st.Retries);
            line.Count = st.Retries.Count;
            line.Words = RetryWords(st);
            break;
        default:
            return;
    }
    AddLine(lines, line);
}

void AddSegmentNearMiss(FaultLines& lines, const RuleInput& in, FaultKind kind) {
    const CaptureTally& t = in.Tally;
    FaultLine line = NearLine(in, kind, kNoStation);
    if (kind == FaultKind::CaptureGapNear) {
        const Occurrences& placed = in.Traffic.Segment.Placed;
        line.Evidence = EvidenceOf(in.Traffic.Book, placed);
        line.Count = placed.Count;
        AddNumberDetail(line.Words, "gap_ns", TicksToNs(lines.Baud, 11 * std::int64_t{in.Traffic.Bus.TicksPerBit}));
        AddNumberDetail(line.Words, "short_gaps", static_cast<std::int64_t>(t.ShortGaps.Count));
    } else {
        line.Evidence = EvidenceOf(in.Traffic.Book, t.Damaged);
        line.Count = t.Damaged.Count;
        AddNumberDetail(line.Words, "frames", static_cast<std::int64_t>(t.Frames));
        AddNumberDetail(line.Words, "damaged", static_cast<std::int64_t>(t.Damaged.Count));
    }
    AddLine(lines, line);
}

}  // namespace

void AddNearMissLines(FaultLines& lines, const RuleInput& in) {
    for (unsigned i = 0; i < kFaultCount; ++i) {
        FaultKind kind = static_cast<FaultKind>(i);
        if (!WantsFault(in.Options, kind) || !FaultInfoOf(kind).NearMiss) continue;
        if (FaultInfoOf(kind).Target == FaultTarget::Segment) {
            AddSegmentNearMiss(lines, in, kind);
        } else {
            AddSlaveNearMiss(lines, in, kind);
        }
    }
}

void AddChangeLines(FaultLines& lines, const RuleInput& in) {
    for (const ChangeNote& c : in.Traffic.Changes) {
        FaultLine line;
        line.Event = "change";
        line.Rule = ChangeName(c.Kind);
        line.Scenario = "change";
        line.Master = c.Master;
        line.Station = c.Address;
        line.Count = 1;
        const BookEntry* frame = Resolved(in.Traffic.Book, c.Entry);
        line.Evidence.push_back(frame != nullptr ? frame : &in.Tally.FirstFrame);
        if (!c.Before.empty()) AddTextDetail(line.Words, "before", c.Before.c_str());
        if (!c.After.empty()) AddTextDetail(line.Words, "after", c.After.c_str());
        if (c.Kind == ChangeKind::Errors) {
            line.Count = in.Tally.Stations[c.Address].SaDamaged.Count;
            line.Words = ShareWords(in.Tally, c.Address);
        }
        AddLine(lines, line);
    }
}

void WriteFaultLines(TextOut& out, const BaudTiming& baud, const TrafficState& traffic, const CaptureTally& tally,
                     const GenOptions& options) {
    FaultLines lines;
    lines.Baud = baud;
    RuleInput in{traffic, tally, options};
    AddCountLines(lines, in);
    AddDropLines(lines, in);
    AddStationLines(lines, in);
    AddNearMissLines(lines, in);
    AddChangeLines(lines, in);
    std::stable_sort(lines.Lines.begin(), lines.Lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [number, text] : lines.Lines) PutText(out, text);
}

}  // namespace zelmot
