// The DP rules. A slave's master is the SA of its last Set_Prm answered
// positively; a drop is the moment a slave in data exchange first shows it
// has left it (its third unanswered DP request in a row, a Data_Exchange
// answered with RS or UE, a Slave_Diag response with Prm_Req):
//   common_cause      two or more slaves dropped within 100 ms of the first
//                     of them (their drops are not reported again)
//   slave_lost        a drop by unanswered requests
//   watchdog_expired  a drop by an answer, of a slave with WD_On, whose
//                     request interval ending at the drop is longer than its
//                     watchdog
//   slave_restart     a drop by an answer that watchdog_expired does not explain
//   watchdog_tight    WD_On, the longest request interval in data exchange
//                     above half the watchdog, no watchdog_expired
//   not_ready         DP requests, never data exchange (not address 126, nor a
//                     slave given another address)
//   diagnosis         in data exchange, Ext_Diag or Stat_Diag: each distinct
//                     diagnosis one finding
//   negative_answers  UE/RR/RS answers and DP-V1 negative responses not a
//                     drop's first sign
//   double_address    idents that alternate; device_replaced: one that changes
//                     and stays
//   master_clear      a master's Global_Control with Clear_Data
#include "analysis/findings_dp.h"

#include <algorithm>
#include <array>
#include <map>

namespace zelmot {
namespace {

void Extend(Finding& finding, std::int64_t ns) {
    if (finding.Count == 0 || ns < finding.FirstNs) finding.FirstNs = ns;
    if (finding.Count == 0 || ns > finding.LastNs) finding.LastNs = ns;
}

void AddFrame(Finding& finding, FrameRef frame) {
    if (frame.Reference != 0) AddEvidence(finding.Frames, frame);
}

// The drops that dropped together: clusters of drops within kCommonCauseNs
// of the first of them, with at least two slaves.
std::vector<bool> FindCommonCause(const DpDrops& drops, std::vector<Finding>& findings) {
    std::vector<bool> clustered(drops.Kept.size(), false);
    std::vector<std::size_t> order(drops.Kept.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return drops.Kept[a].At.Ns < drops.Kept[b].At.Ns; });
    Finding finding = StartFinding(FindingKind::CommonCause, Severity::Fault, -1);
    for (std::size_t i = 0; i < order.size();) {
        const DpDrop& first = drops.Kept[order[i]];
        std::size_t end = i;
        std::array<bool, kStationCount> slaves{};
        std::size_t distinct = 0;
        for (; end < order.size() && drops.Kept[order[end]].At.Ns - first.At.Ns <= kCommonCauseNs; ++end)
            if (!slaves[drops.Kept[order[end]].Address]) slaves[drops.Kept[order[end]].Address] = true, ++distinct;
        if (distinct < 2) {
            ++i;
            continue;
        }
        if (finding.Count == 0) {
            for (std::size_t a = 0; a < kStationCount; ++a)
                if (slaves[a]) finding.Slaves.push_back(static_cast<std::uint8_t>(a));
            finding.SpreadNs = drops.Kept[order[end - 1]].At.Ns - first.At.Ns;
        }
        for (std::size_t k = i; k < end; ++k) {
            clustered[order[k]] = true;
            Extend(finding, drops.Kept[order[k]].At.Ns);
            AddFrame(finding, drops.Kept[order[k]].At);
            ++finding.Count;
        }
        ++finding.Part;
        i = end;
    }
    if (finding.Count > 0) findings.push_back(finding);
    return clustered;
}

bool WatchdogExplains(const DpDrop& drop) {
    return drop.WdOn && drop.WatchdogNs > 0 && drop.IntervalNs > drop.WatchdogNs;
}

FindingKind KindOf(const DpDrop& drop) {
    if (drop.Sign == DropSign::Unanswered) return FindingKind::SlaveLost;
    return WatchdogExplains(drop) ? FindingKind::WatchdogExpired : FindingKind::SlaveRestart;
}

void AddDropFrames(Finding& finding, const DpDrop& drop) {
    switch (finding.Kind) {
        case FindingKind::SlaveLost:
            AddFrame(finding, drop.EarlierUnanswered[0]);
            AddFrame(finding, drop.EarlierUnanswered[1]);
            AddFrame(finding, drop.At);
            return;
        case FindingKind::WatchdogExpired:
            AddFrame(finding, drop.IntervalFrom);
            AddFrame(finding, drop.MasterTokens[1]);
            AddFrame(finding, drop.MasterTokens[0]);
            AddFrame(finding, drop.Request);
            AddFrame(finding, drop.At);
            return;
        default:
            AddFrame(finding, drop.Request);
            AddFrame(finding, drop.At);
            return;
    }
}

// Drops not of a common cause, merged by slave and kind. Notes the slaves
// with a watchdog_expired finding.
void FindDrops(const BusStats& stats, const std::vector<bool>& clustered, std::vector<Finding>& findings,
               std::array<bool, kStationCount>& expired) {
    // (address, kind) -> index into findings, in the order the first drops came.
    std::map<std::pair<std::uint8_t, FindingKind>, std::size_t> merged;
    for (std::size_t i = 0; i < stats.Drops.Kept.size(); ++i) {
        if (clustered[i]) continue;
        const DpDrop& drop = stats.Drops.Kept[i];
        const FindingKind kind = KindOf(drop);
        auto [at, added] = merged.try_emplace({drop.Address, kind}, findings.size());
        if (added) {
            Finding finding = StartFinding(kind, Severity::Fault, drop.Address);
            finding.Drop = &drop;
            finding.Master = drop.Master;
            finding.IntervalNs = drop.IntervalNs;
            finding.WatchdogNs = drop.WatchdogNs;
            findings.push_back(finding);
        }
        Finding& finding = findings[at->second];
        Extend(finding, drop.At.Ns);
        ++finding.Count;
        if (drop.Back) ++finding.CameBack;
        AddDropFrames(finding, drop);
        if (kind == FindingKind::WatchdogExpired) {
            expired[drop.Address] = true;
            finding.LongestNs = std::max(finding.LongestNs, drop.IntervalNs);
        }
    }
    for (Finding& finding : findings)
        if (finding.Kind == FindingKind::WatchdogExpired)
            finding.LongestNs = std::max(finding.LongestNs,
                                         stats.Stations[static_cast<std::size_t>(finding.Address)].Dp.Intervals.LongestInExchange);
}

void FindTightWatchdogs(const BusStats& stats, const std::array<bool, kStationCount>& expired,
                        std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const DpSlaveStats& dp = stats.Stations[a].Dp;
        const DpRequestIntervals& intervals = dp.Intervals;
        if (expired[a] || !dp.WdOn || dp.WatchdogNs <= 0 || intervals.LongestInExchange * 2 <= dp.WatchdogNs) continue;
        Finding finding = StartFinding(FindingKind::WatchdogTight, Severity::Warning, static_cast<int>(a));
        finding.Count = 1;
        finding.FirstNs = intervals.LongestFrom.Ns;
        finding.LastNs = intervals.LongestTo.Ns;
        finding.Master = dp.PrmMaster;
        finding.IntervalNs = intervals.LongestInExchange;
        finding.WatchdogNs = dp.WatchdogNs;
        AddFrame(finding, intervals.LongestFrom);
        AddFrame(finding, intervals.LongestTo);
        findings.push_back(finding);
    }
}

void FindNotReady(const BusStats& stats, std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const DpSlaveStats& dp = stats.Stations[a].Dp;
        if (!dp.Active || dp.EverExchanged || dp.AddressChanged || a == kNewSlaveAddress) continue;
        Finding finding = StartFinding(FindingKind::NotReady, Severity::Fault, static_cast<int>(a));
        for (FrameRef frame : {dp.FirstRequest, dp.LastCfgRequest, dp.GetCfgAnswer, dp.LastDiagFrame, dp.LastRequest}) {
            if (frame.Reference == 0) continue;
            Extend(finding, frame.Ns);
            finding.Count = 1;
            AddFrame(finding, frame);
        }
        finding.Count = 1;
        findings.push_back(finding);
    }
}

void FindDiagnoses(const BusStats& stats, std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const DpSlaveStats& dp = stats.Stations[a].Dp;
        for (std::size_t i = 0; i < dp.DiagnosesKept; ++i) {
            const Occurrences& seen = dp.Diagnoses[i].Seen;
            Finding finding = FindingOver(FindingKind::Diagnosis, Severity::Warning, static_cast<int>(a), seen);
            finding.Index = i;
            findings.push_back(finding);
        }
    }
}

void FindRefusals(const BusStats& stats, std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const Occurrences& all = stats.Stations[a].Dp.Refusals.All;
        if (all.Count == 0) continue;
        Finding finding = FindingOver(FindingKind::NegativeAnswers, Severity::Warning, static_cast<int>(a), all);
        findings.push_back(finding);
    }
}

void FindIdentChanges(const BusStats& stats, std::vector<Finding>& findings) {
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const DpIdentTrack& idents = stats.Stations[a].Dp.Idents;
        if (idents.Changes == 0) continue;
        Finding finding = idents.Returned ? StartFinding(FindingKind::DoubleAddress, Severity::Fault, static_cast<int>(a))
                                          : StartFinding(FindingKind::DeviceReplaced, Severity::Note, static_cast<int>(a));
        finding.Count = idents.Changes;
        finding.FirstNs = idents.FirstChange.Ns;
        finding.LastNs = idents.Responses.Frames[idents.Responses.Kept - 1].Ns;
        finding.Frames = idents.Responses;
        findings.push_back(finding);
    }
}

void FindClearMasters(const BusStats& stats, std::vector<Finding>& findings) {
    for (std::size_t m = 0; m < kStationCount; ++m) {
        const DpMasterStats& master = stats.Stations[m].DpMaster;
        if (master.ClearPeriods == 0) continue;
        Finding finding = StartFinding(FindingKind::MasterClear, Severity::Warning, static_cast<int>(m));
        finding.Count = master.ClearPeriods;
        const std::size_t kept = std::min<std::size_t>(master.ClearPeriods, kClearPeriodsKept);
        finding.From = master.Clear[0].From;
        finding.To = master.Clear[0].To;
        finding.FirstNs = finding.From.Ns;
        finding.LastNs = finding.From.Ns;
        for (std::size_t i = 0; i < kept; ++i) {
            const DpClearPeriod& period = master.Clear[i];
            finding.LastNs = std::max(finding.LastNs, period.To.Reference != 0 ? period.To.Ns : period.From.Ns);
            AddFrame(finding, period.From);
            AddFrame(finding, period.To);
        }
        for (std::size_t a = 0; a < kStationCount; ++a)
            if (master.AddressedInClear[a / 64] >> (a % 64) & 1u) finding.Slaves.push_back(static_cast<std::uint8_t>(a));
        findings.push_back(finding);
    }
}

}  // namespace

void FindDpFindings(const BusStats& stats, std::vector<Finding>& findings) {
    const std::vector<bool> clustered = FindCommonCause(stats.Drops, findings);
    std::array<bool, kStationCount> expired{};
    FindDrops(stats, clustered, findings, expired);
    FindTightWatchdogs(stats, expired, findings);
    FindNotReady(stats, findings);
    FindDiagnoses(stats, findings);
    FindRefusals(stats, findings);
    FindIdentChanges(stats, findings);
    FindClearMasters(stats, findings);
}

}  // namespace zelmot
