// The rules that count over the capture. capture_gap: one line for each of
// resynchronisations, negative gaps and gaps of 0 up to 10 bit times.
// errors_local: a station with at least 5 damaged frames of its own (by
// SA) and a damaged share at least 10 times that of all other frames;
// errors_spread: at least 0.1% of all frames damaged and no station that
// qualifies. retries: a station with at least 3 retries and at least 0.1%
// of its requests retried. slow_answers: a slave whose slowest answer came
// after more than 80% of the slot time its master shows (the shortest wait
// before a retry with no frame between).
#include "gen_fault_rules.h"

#include "gen_events.h"

namespace zelmot {
namespace {

constexpr std::uint64_t kLocalMinimum = 5;
constexpr std::uint64_t kLocalFactor = 10;
constexpr std::uint64_t kPerMille = 1000;
constexpr std::uint64_t kRetriesMinimum = 3;

FaultLine CountLine(const RuleInput& in, const char* rule, std::uint8_t station, const Occurrences& o) {
    FaultLine line;
    line.Rule = rule;
    line.Station = station;
    line.Scenario = station == 255 ? ScenarioOfSegment(in.Options) : ScenarioOfStation(in.Traffic, in.Options, station);
    if (station != 255 && in.Traffic.Log.Slaves[station].Master != 0) line.Master = in.Traffic.Log.Slaves[station].Master;
    line.Evidence = EvidenceOf(in.Traffic.Book, o);
    line.Last = LatestOf(in.Traffic.Book, o);
    line.Count = o.Count;
    return line;
}

std::string GapWords(const FaultLines& lines, const std::vector<std::int64_t>& gaps) {
    std::string text;
    for (std::int64_t g : gaps) text += (text.empty() ? "" : "/") + std::to_string(TicksToNs(lines.Baud, g));
    return text;
}

void AddCaptureGaps(FaultLines& lines, const RuleInput& in) {
    const CaptureTally& t = in.Tally;
    struct Kind {
        const char* Name;
        const Occurrences& Seen;
        const std::vector<std::int64_t>* Gaps;
    };
    const Kind kinds[] = {{"resync", t.Resyncs, nullptr},
                          {"negative_gap", t.NegativeGaps, &t.GapTicks[1]},
                          {"short_gap", t.ShortGaps, &t.GapTicks[0]}};
    for (const Kind& k : kinds) {
        if (k.Seen.Count == 0) continue;
        FaultLine line = CountLine(in, "capture_gap", 255, k.Seen);
        AddTextDetail(line.Words, "artefact", k.Name);
        if (k.Gaps != nullptr) AddTextDetail(line.Words, "gaps_ns", GapWords(lines, *k.Gaps).c_str());
        AddLine(lines, line);
    }
}

void AddErrors(FaultLines& lines, const RuleInput& in) {
    const CaptureTally& t = in.Tally;
    bool local = false;
    for (std::size_t a = 0; a < kLogStations; ++a) {
        if (!ErrorsLocal(t, a)) continue;
        local = true;
        FaultLine line = CountLine(in, "errors_local", static_cast<std::uint8_t>(a), t.Stations[a].SaDamaged);
        line.Words = ShareWords(t, a);
        AddLine(lines, line);
    }
    if (local || t.Damaged.Count * kPerMille < t.Frames || t.Damaged.Count == 0) return;
    FaultLine line = CountLine(in, "errors_spread", 255, t.Damaged);
    AddNumberDetail(line.Words, "frames", static_cast<std::int64_t>(t.Frames));
    AddNumberDetail(line.Words, "damaged", static_cast<std::int64_t>(t.Damaged.Count));
    AddLine(lines, line);
}

void AddRetries(FaultLines& lines, const RuleInput& in) {
    for (std::size_t a = 0; a < kLogStations; ++a) {
        const StationTally& st = in.Tally.Stations[a];
        if (st.Retries.Count < kRetriesMinimum || st.Retries.Count * kPerMille < st.Requests) continue;
        FaultLine line = CountLine(in, "retries", static_cast<std::uint8_t>(a), st.Retries);
        line.Words = RetryWords(st);
        AddLine(lines, line);
    }
}

void AddSlowAnswers(FaultLines& lines, const RuleInput& in) {
    for (std::size_t a = 0; a < kLogStations; ++a) {
        const StationTally& st = in.Tally.Stations[a];
        std::uint8_t master = in.Traffic.Log.Slaves[a].Master;
        const StationTally& m = in.Tally.Stations[master];
        if (master == 0 || m.SlotSeen < 0 || st.SlowestGap * 10 <= m.SlotSeen * 8) continue;
        FaultLine line;
        line.Rule = "slow_answers";
        line.Scenario = ScenarioOfStation(in.Traffic, in.Options, static_cast<std::uint8_t>(a));
        line.Master = master;
        line.Station = static_cast<std::uint8_t>(a);
        line.Count = st.LateAnswers;
        line.Evidence.push_back(&st.Slowest);
        AddNumberDetail(line.Words, "slowest_ns", TicksToNs(lines.Baud, st.SlowestGap));
        AddNumberDetail(line.Words, "slot_seen_ns", TicksToNs(lines.Baud, m.SlotSeen));
        AddNumberDetail(line.Words, "slot_retries", static_cast<std::int64_t>(m.SlotRetries));
        AddNumberDetail(line.Words, "answers", static_cast<std::int64_t>(st.Answers));
        AddLine(lines, line);
    }
}

}  // namespace

std::string ShareWords(const CaptureTally& t, std::size_t station) {
    const StationTally& st = t.Stations[station];
    std::string words;
    AddNumberDetail(words, "frames", static_cast<std::int64_t>(st.SaFrames));
    AddNumberDetail(words, "damaged", static_cast<std::int64_t>(st.SaDamaged.Count));
    AddNumberDetail(words, "other_frames", static_cast<std::int64_t>(t.Frames - st.SaFrames));
    AddNumberDetail(words, "other_damaged", static_cast<std::int64_t>(t.Damaged.Count - st.SaDamaged.Count));
    return words;
}

std::string RetryWords(const StationTally& st) {
    std::string words;
    AddNumberDetail(words, "requests", static_cast<std::int64_t>(st.Requests));
    AddNumberDetail(words, "retries", static_cast<std::int64_t>(st.Retries.Count));
    return words;
}

bool ErrorsLocal(const CaptureTally& t, std::size_t station) {
    const StationTally& st = t.Stations[station];
    std::uint64_t damaged = st.SaDamaged.Count;
    if (damaged < kLocalMinimum) return false;
    // damaged / frames >= 10 x otherDamaged / otherFrames, without division.
    std::uint64_t otherFrames = t.Frames - st.SaFrames;
    std::uint64_t otherDamaged = t.Damaged.Count - damaged;
    return damaged * otherFrames >= kLocalFactor * otherDamaged * st.SaFrames;
}

void AddCountLines(FaultLines& lines, const RuleInput& in) {
    AddCaptureGaps(lines, in);
    AddErrors(lines, in);
    AddRetries(lines, in);
    AddSlowAnswers(lines, in);
}

}  // namespace zelmot
