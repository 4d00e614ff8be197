// The rules of what single stations show. not_ready: a slave that got DP
// requests and never reached data exchange (not address 126): its final
// state, last diagnosis, the Chk_Cfg it was sent and, when it answered a
// Get_Cfg, its own configuration and the first module (from 0) where they
// differ. diagnosis: each distinct Slave_Diag answer with Ext_Diag or
// Stat_Diag of a slave in data exchange. negative_answers: UE, RR, RS and
// DP-V1 negative responses that are no drop's first sign. double_address:
// the ident of a slave's Slave_Diag answers changes three times or more
// (two idents, each seen again after the other); device_replaced: it
// changes once. master_clear: a master's Global_Control with Clear_Data,
// until it sends one without (or the end), and the slaves it addressed.
#include "gen_fault_rules.h"

#include "gen_events.h"

namespace zelmot {
namespace {

constexpr std::size_t kNewStationAddress = 126;

FaultLine StationLine(const RuleInput& in, const char* rule, std::size_t station) {
    FaultLine line;
    line.Rule = rule;
    line.Station = static_cast<std::uint8_t>(station);
    std::uint8_t master = in.Traffic.Log.Slaves[station].Master;
    line.Master = master == 0 ? 255 : master;
    line.Scenario = ScenarioOfStation(in.Traffic, in.Options, line.Station);
    return line;
}

void Occurred(FaultLine& line, const FrameBook& book, const Occurrences& o) {
    line.Evidence = EvidenceOf(book, o);
    line.Last = LatestOf(book, o);
    line.Count = o.Count;
}

// The first module (one identifier byte each) where the two configurations differ.
std::size_t FirstDiffering(const std::vector<std::uint8_t>& sent, const std::vector<std::uint8_t>& own) {
    std::size_t i = 0;
    while (i < sent.size() && i < own.size() && sent[i] == own[i]) ++i;
    return i;
}

void AddNotReady(FaultLines& lines, const RuleInput& in, std::size_t a) {
    const SlaveLog& log = in.Traffic.Log.Slaves[a];
    if (!log.GotDpRequest || log.Exchanged || a == kNewStationAddress) return;
    FaultLine line = StationLine(in, "not_ready", a);
    if (const BookEntry* first = Resolved(in.Traffic.Book, log.FirstRequest)) line.Evidence.push_back(first);
    line.Count = 1;
    AddTextDetail(line.Words, "state", ReaderStateName(log.State));
    AddBytesDetail(line.Words, "diag", log.LastDiag.data(), log.LastDiag.size());
    AddBytesDetail(line.Words, "chk_cfg", log.LastChkCfg.data(), log.LastChkCfg.size());
    if (log.HasOwnCfg) {
        AddBytesDetail(line.Words, "get_cfg", log.OwnCfg.data(), log.OwnCfg.size());
        AddNumberDetail(line.Words, "first_differing_module",
                        static_cast<std::int64_t>(FirstDiffering(log.LastChkCfg, log.OwnCfg)));
    }
    AddLine(lines, line);
}

void AddSlaveShows(FaultLines& lines, const RuleInput& in, std::size_t a) {
    const FrameBook& book = in.Traffic.Book;
    const SlaveLog& log = in.Traffic.Log.Slaves[a];
    for (const DiagSeen& d : log.Diags) {
        FaultLine line = StationLine(in, "diagnosis", a);
        Occurred(line, book, d.Seen);
        AddBytesDetail(line.Words, "diag", d.Bytes.data(), d.Bytes.size());
        AddLine(lines, line);
    }
    if (log.Negatives.Count != 0) {
        FaultLine line = StationLine(in, "negative_answers", a);
        Occurred(line, book, log.Negatives);
        AddTextDetail(line.Words, "answers", log.NegativeWords.c_str());
        AddLine(lines, line);
    }
    std::uint64_t changes = log.IdentChanges.Count;
    if (changes == 1 || changes >= 3) {
        FaultLine line = StationLine(in, changes == 1 ? "device_replaced" : "double_address", a);
        Occurred(line, book, log.IdentChanges);
        AddHexDetail(line.Words, "ident", log.FirstIdent, 4);
        AddHexDetail(line.Words, "other_ident", log.SecondIdent, 4);
        AddLine(lines, line);
    }
}

void AddMasterClear(FaultLines& lines, const RuleInput& in, std::size_t a) {
    const MasterLog& log = in.Traffic.Log.Masters[a];
    if (log.Clears.Count == 0) return;
    FaultLine line;
    line.Rule = "master_clear";
    line.Master = line.Station = static_cast<std::uint8_t>(a);
    line.Scenario = ScenarioOfStation(in.Traffic, in.Options, line.Station);
    Occurred(line, in.Traffic.Book, log.Clears);
    if (const BookEntry* end = Resolved(in.Traffic.Book, log.ClearEnd)) {
        AddFrameWords(lines, line.Words, "until", *end);
    } else {
        AddTextDetail(line.Words, "until", "end");
    }
    std::string slaves;
    for (std::size_t s = 0; s < kLogStations; ++s)
        if (log.Addressed[s]) slaves += (slaves.empty() ? "" : "/") + std::to_string(s);
    AddTextDetail(line.Words, "slaves", slaves.c_str());
    AddLine(lines, line);
}

}  // namespace

void AddStationLines(FaultLines& lines, const RuleInput& in) {
    for (std::size_t a = 0; a < kLogStations; ++a) {
        AddNotReady(lines, in, a);
        AddSlaveShows(lines, in, a);
        AddMasterClear(lines, in, a);
    }
}

}  // namespace zelmot
