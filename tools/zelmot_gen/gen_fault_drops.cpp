// Rules 2 to 6. A drop is the moment a slave in data exchange first shows
// it has left (gen_dp_observe.cpp). Drops of two or more slaves within
// 100 ms of the first of them make one common_cause finding and no other;
// of the rest, a drop by unanswered requests is slave_lost; one by a
// negative answer or Prm_Req is watchdog_expired when the slave's last
// Set_Prm had WD_On and the request interval ending at the drop was longer
// than its watchdog, else slave_restart. Drops of one rule at one slave
// merge. watchdog_tight: a slave with WD_On whose longest request interval
// in data exchange is more than half its watchdog, without a
// watchdog_expired finding. Intervals are differences of AbsTime.
#include "gen_fault_rules.h"

#include <algorithm>

#include "gen_events.h"

namespace zelmot {
namespace {

constexpr std::int64_t kCommonCauseNs = 100'000'000;
constexpr std::int64_t kNsPerMs = 1'000'000;

struct DropAt {
    const DropSeen* Drop;
    const BookEntry* Frame;
    std::int64_t Ns;
};

const char* RuleOf(const FaultLines& lines, const DropSeen& d) {
    if (d.Cause == DropCause::Unanswered) return "slave_lost";
    std::int64_t interval = DropIntervalNs(lines, d);
    bool expired = d.WdOn && interval >= 0 && interval > std::int64_t{d.WatchdogMs} * kNsPerMs;
    return expired ? "watchdog_expired" : "slave_restart";
}

const char* CauseName(DropCause cause) {
    switch (cause) {
        case DropCause::Unanswered: return "unanswered";
        case DropCause::Negative: return "negative_answer";
        case DropCause::PrmReq: return "prm_req";
    }
    return "";
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& p : parts) text += (text.empty() ? "" : "/") + p;
    return text;
}

void AddCommonCause(FaultLines& lines, const RuleInput& in, const std::vector<DropAt>& drops,
                    const std::vector<std::size_t>& members) {
    const DropAt& first = drops[members.front()];
    FaultLine line;
    line.Rule = "common_cause";
    line.Scenario = ScenarioOfStation(in.Traffic, in.Options, first.Drop->Slave);
    line.Master = first.Drop->Master;
    line.Station = first.Drop->Slave;
    line.Count = members.size();
    std::vector<std::string> stations;
    std::vector<std::string> times;
    for (std::size_t m : members) {
        line.Evidence.push_back(drops[m].Frame);
        stations.push_back(std::to_string(drops[m].Drop->Slave));
        times.push_back(std::to_string(drops[m].Ns));
    }
    line.Last = drops[members.back()].Frame;
    AddTextDetail(line.Words, "stations", Joined(stations).c_str());
    AddTextDetail(line.Words, "drops_ns", Joined(times).c_str());
    AddNumberDetail(line.Words, "spread_ns", drops[members.back()].Ns - first.Ns);
    AddLine(lines, line);
}

// The drops grouped into common_cause findings; the others are left in rest.
void AddCommonCauses(FaultLines& lines, const RuleInput& in, const std::vector<DropAt>& drops,
                     std::vector<const DropAt*>& rest) {
    std::vector<bool> grouped(drops.size());
    for (std::size_t i = 0; i < drops.size(); ++i) {
        if (grouped[i]) continue;
        std::vector<std::size_t> members{i};
        for (std::size_t j = i + 1; j < drops.size() && drops[j].Ns - drops[i].Ns <= kCommonCauseNs; ++j) {
            bool other = std::none_of(members.begin(), members.end(),
                                      [&](std::size_t m) { return drops[m].Drop->Slave == drops[j].Drop->Slave; });
            if (!grouped[j] && other) members.push_back(j);
        }
        if (members.size() < 2) {
            rest.push_back(&drops[i]);
            continue;
        }
        for (std::size_t m : members) grouped[m] = true;
        AddCommonCause(lines, in, drops, members);
    }
}

struct Merged {
    const char* Rule;
    std::uint8_t Slave;
    std::vector<const DropAt*> Drops;
};

std::string DropWords(const FaultLines& lines, const FrameBook& book, const Merged& m) {
    const DropSeen& first = *m.Drops.front()->Drop;
    std::string words;
    AddTextDetail(words, "cause", CauseName(first.Cause));
    if (first.Cause != DropCause::Unanswered) {
        AddNumberDetail(words, "interval_ns", DropIntervalNs(lines, first));
        if (first.IntervalTicks >= 0) AddFrameWords(lines, words, "interval_from", first.IntervalFrom);
        AddNumberDetail(words, "watchdog_ms", first.WatchdogMs);
        AddNumberDetail(words, "wd_on", first.WdOn ? 1 : 0);
    }
    if (const BookEntry* back = Resolved(book, m.Drops.back()->Drop->BackEntry)) {
        AddFrameWords(lines, words, "back", *back);
    } else {
        AddTextDetail(words, "back", "no");
    }
    return words;
}

void AddMerged(FaultLines& lines, const RuleInput& in, const std::vector<const DropAt*>& rest) {
    std::vector<Merged> merged;
    for (const DropAt* d : rest) {
        const char* rule = RuleOf(lines, *d->Drop);
        auto same = std::find_if(merged.begin(), merged.end(), [&](const Merged& m) {
            return m.Slave == d->Drop->Slave && std::string_view(m.Rule) == rule;
        });
        if (same == merged.end()) same = merged.insert(merged.end(), Merged{rule, d->Drop->Slave, {}});
        same->Drops.push_back(d);
    }
    for (const Merged& m : merged) {
        FaultLine line;
        line.Rule = m.Rule;
        line.Scenario = ScenarioOfStation(in.Traffic, in.Options, m.Slave);
        line.Master = m.Drops.front()->Drop->Master;
        line.Station = m.Slave;
        line.Count = m.Drops.size();
        for (std::size_t i = 0; i < m.Drops.size() && i < kEvidenceFrames; ++i) line.Evidence.push_back(m.Drops[i]->Frame);
        line.Last = m.Drops.back()->Frame;
        line.Words = DropWords(lines, in.Traffic.Book, m);
        AddLine(lines, line);
    }
}

bool HasExpired(const std::vector<const DropAt*>& rest, const FaultLines& lines, std::size_t slave) {
    return std::any_of(rest.begin(), rest.end(), [&](const DropAt* d) {
        return d->Drop->Slave == slave && std::string_view(RuleOf(lines, *d->Drop)) == "watchdog_expired";
    });
}

}  // namespace

std::int64_t DropIntervalNs(const FaultLines& lines, const DropSeen& d) {
    if (d.IntervalTicks < 0) return -1;
    BookEntry end = d.IntervalFrom;
    end.Stamp += static_cast<std::uint64_t>(d.IntervalTicks);
    return FrameNs(lines, end) - FrameNs(lines, d.IntervalFrom);
}

std::int64_t LongestIntervalNs(const FaultLines& lines, const StationTally& st) {
    if (st.LongestInterval < 0) return -1;
    return FrameNs(lines, st.LongestEnd) - FrameNs(lines, st.LongestStart);
}

std::string IntervalWords(const FaultLines& lines, const StationTally& st, std::uint32_t watchdogMs) {
    std::string words;
    AddNumberDetail(words, "interval_ns", LongestIntervalNs(lines, st));
    AddFrameWords(lines, words, "interval_from", st.LongestStart);
    AddNumberDetail(words, "watchdog_ms", watchdogMs);
    return words;
}

void AddDropLines(FaultLines& lines, const RuleInput& in) {
    const FrameBook& book = in.Traffic.Book;
    std::vector<DropAt> drops;
    for (const DropSeen& d : in.Traffic.Log.Drops)
        if (const BookEntry* frame = Resolved(book, d.Entry)) drops.push_back(DropAt{&d, frame, FrameNs(lines, *frame)});
    std::vector<const DropAt*> rest;
    AddCommonCauses(lines, in, drops, rest);
    AddMerged(lines, in, rest);
    for (std::size_t a = 0; a < kLogStations; ++a) {
        const SlaveLog& log = in.Traffic.Log.Slaves[a];
        const StationTally& st = in.Tally.Stations[a];
        std::int64_t interval = LongestIntervalNs(lines, st);
        if (!log.WdOn || interval < 0 || interval * 2 <= std::int64_t{log.WatchdogMs} * kNsPerMs ||
            HasExpired(rest, lines, a))
            continue;
        FaultLine line;
        line.Rule = "watchdog_tight";
        line.Scenario = ScenarioOfStation(in.Traffic, in.Options, static_cast<std::uint8_t>(a));
        line.Master = log.Master;
        line.Station = static_cast<std::uint8_t>(a);
        line.Count = 1;
        line.Evidence.push_back(&st.LongestEnd);
        line.Words = IntervalWords(lines, st, log.WatchdogMs);
        AddLine(lines, line);
    }
}

}  // namespace zelmot
