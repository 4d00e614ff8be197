// The DP facts the findings read, noted by the DP tracker. Each keeps to
// fixed room: drops up to kDropsKept, distinct diagnoses up to
// kDiagnosesKept per slave, clear periods up to kClearPeriodsKept per
// master; what does not fit is counted.
#include "analysis/dp_facts.h"

#include <algorithm>
#include <cassert>

#include "dp/dp_codes.h"

namespace zelmot {
namespace {

DpSlaveStats& SlaveOf(BusStats& stats, std::uint8_t address) {
    assert(address < kStationCount);  // addresses come masked with fdl::AddressMask
    return stats.Stations[address].Dp;
}

void NoteIdent(DpIdentTrack& idents, std::uint16_t ident, FrameRef at) {
    if (!idents.Has) {
        idents.Has = true;
        idents.First = idents.Current = ident;
        return;
    }
    if (ident == idents.Current) return;
    if (idents.Changes > 0 && ident == idents.Previous) idents.Returned = true;
    if (idents.Changes == 0) idents.FirstChange = at;
    idents.Previous = idents.Current;
    idents.Current = ident;
    ++idents.Changes;
    AddEvidence(idents.Responses, at);
}

void NoteExchangeDiagnosis(BusStats& stats, DpSlaveStats& slave, fdl::Bytes data, bool dpv1, FrameRef at) {
    for (std::size_t i = 0; i < slave.DiagnosesKept; ++i) {
        DpDiagSeen& seen = slave.Diagnoses[i];
        const fdl::Bytes kept(stats.DiagnosisBytes.data() + seen.Offset, seen.Size);
        if (std::equal(kept.begin(), kept.end(), data.begin(), data.end())) {
            NoteOccurrence(seen.Seen, at);
            return;
        }
    }
    if (slave.DiagnosesKept == kDiagnosesKept) {
        ++slave.DiagnosesMore;
        return;
    }
    DpDiagSeen& seen = slave.Diagnoses[slave.DiagnosesKept++];
    seen.Offset = static_cast<std::uint32_t>(stats.DiagnosisBytes.size());
    seen.Size = static_cast<std::uint8_t>(std::min<std::size_t>(data.size(), kDpBytesMax));
    seen.Dpv1 = dpv1;
    seen.CfgSlots = ConfiguredSlots(slave);
    stats.DiagnosisBytes.insert(stats.DiagnosisBytes.end(), data.begin(), data.begin() + seen.Size);
    NoteOccurrence(seen.Seen, at);
}

}  // namespace

void EnterExchange(BusStats& stats, std::uint8_t address, FrameRef frame) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    slave.EverExchanged = true;
    if (slave.InExchange) return;
    slave.InExchange = true;
    if (slave.LastDrop < 0) return;
    DpDrop& drop = stats.Drops.Kept[static_cast<std::size_t>(slave.LastDrop)];
    if (drop.Back) return;
    drop.Back = true;
    drop.BackAt = frame;
}

void NoteDrop(BusStats& stats, std::uint8_t address, DropSign sign, dp::Negative answer, FrameRef request, FrameRef at,
              const FrameRef* earlier, bool inWindow) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    slave.InExchange = false;
    if (!inWindow) return;
    if (stats.Drops.Kept.size() == kDropsKept) {
        ++stats.Drops.NotKept;
        return;
    }
    DpDrop drop;
    drop.Address = address;
    drop.Sign = sign;
    drop.Answer = answer;
    drop.At = at;
    drop.Request = request;
    if (earlier != nullptr) drop.EarlierUnanswered = {earlier[0], earlier[1]};
    drop.Master = slave.PrmMaster;
    drop.WdOn = slave.WdOn;
    drop.WatchdogNs = slave.WatchdogNs;
    if (slave.Intervals.HasLast && slave.Intervals.Last.Reference == request.Reference) {
        drop.IntervalNs = slave.Intervals.LatestNs;
        drop.IntervalFrom = slave.Intervals.LatestFrom;
    }
    if (drop.Master < kStationCount) drop.MasterTokens = stats.Stations[drop.Master].Master.RecentTokens;
    slave.LastDrop = static_cast<std::int32_t>(stats.Drops.Kept.size());
    stats.Drops.Kept.push_back(drop);
}

void NoteParameters(BusStats& stats, std::uint8_t address, std::uint8_t master, bool wdOn, std::int64_t watchdogNs) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    if (slave.PrmMaster != master) {
        slave.Intervals.HasLast = false;
        slave.Intervals.LatestNs = -1;
    }
    slave.PrmMaster = master;
    slave.WdOn = wdOn;
    slave.WatchdogNs = watchdogNs;
}

void NoteRefusal(BusStats& stats, std::uint8_t address, dp::Service service, dp::Negative answer, FrameRef at) {
    assert(answer != dp::Negative::None && static_cast<unsigned>(service) < dp::kServiceCount);
    DpRefusals& refusals = SlaveOf(stats, address).Refusals;
    ++refusals.ByService[static_cast<std::size_t>(answer) - 1][static_cast<std::size_t>(service)];
    NoteOccurrence(refusals.All, at);
}

void NoteDpv1Refusal(BusStats& stats, std::uint8_t address, FrameRef at) {
    DpRefusals& refusals = SlaveOf(stats, address).Refusals;
    ++refusals.Dpv1;
    NoteOccurrence(refusals.All, at);
}

void NoteDiagnosis(BusStats& stats, std::uint8_t address, fdl::Bytes data, bool dpv1, FrameRef at, bool inWindow) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    if (data.size() < dp::kDiagHeaderSize) return;
    NoteIdent(slave.Idents, fdl::BigEndianAt(data, 4), at);
    const bool reports = (data[0] & dp::kExtDiag) != 0 || (data[1] & dp::kStatDiag) != 0;
    if (slave.InExchange && inWindow && reports) NoteExchangeDiagnosis(stats, slave, data, dpv1, at);
}

void NoteAddressChange(BusStats& stats, std::uint8_t from, std::uint8_t to) {
    SlaveOf(stats, from).AddressChanged = true;
    if (to < kStationCount) SlaveOf(stats, to).Idents = DpIdentTrack{};
}

void NoteClearControl(BusStats& stats, std::uint8_t master, std::uint8_t control, FrameRef at, bool inWindow) {
    DpMasterStats& m = stats.Stations[master].DpMaster;
    const bool clear = (control & dp::kClearData) != 0;
    if (clear && !m.InClear) {
        m.InClear = true;
        if (!inWindow) return;
        if (m.ClearPeriods < kClearPeriodsKept) m.Clear[m.ClearPeriods] = DpClearPeriod{at, FrameRef{}};
        ++m.ClearPeriods;
    } else if (!clear && m.InClear) {
        m.InClear = false;
        if (m.ClearPeriods == 0 || m.ClearPeriods > kClearPeriodsKept) return;
        DpClearPeriod& period = m.Clear[m.ClearPeriods - 1];
        if (period.To.Reference == 0) period.To = at;
    }
}

}  // namespace zelmot
