// Line text: time_ns,master,station,event,frame,words -- the common words
// first (rule, scenario, count, ref, last_ns, last_ref, refs), then the
// rule's figures.
#include "gen_fault_line.h"

#include "gen_events.h"

namespace zelmot {
namespace {

constexpr std::uint64_t kStampMask = (std::uint64_t{1} << 48) - 1;

}  // namespace

std::int64_t FrameNs(const FaultLines& lines, const BookEntry& frame) {
    return TicksToNs(lines.Baud, static_cast<std::int64_t>(frame.Stamp & kStampMask));
}

const BookEntry* Resolved(const FrameBook& book, std::size_t entry) {
    if (entry == kNoEntry || !book.Entries[entry].Resolved) return nullptr;
    return &book.Entries[entry];
}

std::vector<const BookEntry*> EvidenceOf(const FrameBook& book, const Occurrences& o) {
    std::vector<const BookEntry*> frames;
    for (std::size_t i = 0; i < o.Count && i < kEvidenceFrames; ++i)
        if (const BookEntry* e = Resolved(book, o.First[i])) frames.push_back(e);
    return frames;
}

const BookEntry* LatestOf(const FrameBook& book, const Occurrences& o) {
    return o.Count == 0 ? nullptr : Resolved(book, o.Last);
}

void AddFrameWords(const FaultLines& lines, std::string& words, const char* key, const BookEntry& frame) {
    AddNumberDetail(words, (std::string(key) + "_ns").c_str(), FrameNs(lines, frame));
    AddNumberDetail(words, (std::string(key) + "_ref").c_str(), static_cast<std::int64_t>(frame.Number + 1));
}

void AddLine(FaultLines& lines, const FaultLine& line) {
    if (line.Evidence.empty()) return;
    const BookEntry& first = *line.Evidence.front();
    std::string text = std::to_string(FrameNs(lines, first)) + "," + std::to_string(line.Master) + "," +
                       std::to_string(line.Station) + "," + line.Event + "," +
                       HexBytes(first.Bytes.data(), first.Bytes.size()) + ",";
    std::string words;
    AddTextDetail(words, "rule", line.Rule.c_str());
    AddTextDetail(words, "scenario", line.Scenario.c_str());
    AddNumberDetail(words, "count", static_cast<std::int64_t>(line.Count));
    AddNumberDetail(words, "ref", static_cast<std::int64_t>(first.Number + 1));
    if (line.Last != nullptr) AddFrameWords(lines, words, "last", *line.Last);
    std::string refs;
    for (const BookEntry* e : line.Evidence) refs += (refs.empty() ? "" : "/") + std::to_string(e->Number + 1);
    AddTextDetail(words, "refs", refs.c_str());
    if (!line.Words.empty()) words += " " + line.Words;
    lines.Lines.emplace_back(first.Number, text + words + "\n");
}

std::string ScenarioOfSegment(const GenOptions& o) {
    for (FaultKind kind : {FaultKind::CaptureGap, FaultKind::CaptureGapNear, FaultKind::ErrorsSpread,
                           FaultKind::ErrorsSpreadNear})
        if (WantsFault(o, kind)) return FaultName(kind);
    if (o.ErrorRate > 0) return "error-rate";
    if (o.TimeoutRate > 0) return "timeout-rate";
    if (o.DiagRate > 0) return "diag-rate";
    if (o.CorruptRate > 0) return "corrupt-rate";
    return "none";
}

std::string ScenarioOfStation(const TrafficState& t, const GenOptions& o, std::uint8_t station) {
    for (const SlaveState& s : t.Slaves) {
        if (s.Address != station) continue;
        if (s.Fault.Chosen) return FaultName(s.Fault.Kind);
        if (s.Faults.Chosen) return ScenarioName(s.Faults.Scenario);
        if (s.Changed) return "change";
    }
    for (const MasterState& m : t.Masters)
        if (m.Address == station && m.ClearChosen) return m.ClearScenario;
    return ScenarioOfSegment(o);
}

}  // namespace zelmot
