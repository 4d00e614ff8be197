// The DP sections of the text report: the "DP slaves" table (ident,
// master, state, entries and drop-outs, watchdog, each module's input and
// output bytes, the last diagnosis in words) with the master's
// configuration held against each slave's own below it, and the "Events"
// section, one line per event with its time of day.
#include "report/dp_text.h"

#include "dp/dp_cfg.h"
#include "dp/dp_codes.h"
#include "dp/dp_commands.h"
#include "report/dp_words.h"
#include "report/gsd_words.h"
#include "report/number_text.h"
#include "report/text_table.h"

namespace zelmot {
namespace {

std::string MasterCell(const DpSlaveStats& s) {
    if (!s.HasIdent) return "-";
    return s.MasterAdd == dp::kNoMaster ? "none" : std::to_string(s.MasterAdd);
}

std::string WatchdogCell(const DpSlaveStats& s) {
    if (!s.Prm.Seen) return "-";
    const dp::SetPrm prm = dp::DecodeSetPrm(BytesOf(s.Prm.Data));
    return (prm.StationStatus & dp::kPrmWdOn) ? std::to_string(prm.WatchdogMs) : "off";
}

// Each module as input/output bytes, "-" for an empty slot, "?" where
// decoding stopped.
std::string ModulesCell(const DpSlaveStats& s) {
    if (!s.Cfg.Seen) return "-";
    const fdl::Bytes cfg = BytesOf(s.Cfg.Data);
    std::string text;
    for (std::size_t at = 0; at < cfg.size();) {
        const dp::CfgModule module = dp::DecodeCfgModule(cfg, at);
        text += text.empty() ? "" : " ";
        if (module.Fault != dp::CfgFault::None) text += "?";
        else if (module.Format == dp::CfgFormat::Empty) text += "-";
        else text += std::to_string(module.In.Bytes) + "/" + std::to_string(module.Out.Bytes);
        at = module.Next;
    }
    return text.empty() ? "none" : text;
}

std::string StateCell(DpState state) {
    std::string_view words = dp::LookupName(kDpStateWords, static_cast<unsigned>(state));
    return words.empty() ? "-" : std::string(words);
}

}  // namespace

std::string DpSlavesSection(const BusStats& stats, const GsdMatches& matches) {
    TextTable t;
    t.TextColumns = {3, 7, 8};
    std::string compared;
    AddRow(t, {"Addr", "Ident", "Master", "State", "Entries", "Drop-outs", "Watchdog (ms)", "Modules (in/out bytes)",
               "Last diagnosis"});
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& st = stats.Stations[a];
        const DpSlaveStats& s = st.Dp;
        if (!st.Listed || !s.Active) continue;
        AddRow(t, {std::to_string(a), s.HasIdent ? IdentText(s.Ident) : "-", MasterCell(s), StateCell(s.State),
                   std::to_string(s.Entries), std::to_string(s.DropOuts), WatchdogCell(s), ModulesCell(s),
                   s.Diag.Seen ? DiagWords(BytesOf(s.Diag.Last), s.Diag.Dpv1, s.Diag.CfgSlots, GsdDiagNames(matches.Slaves[a]))
                               : "-"});
        const std::string words = CfgAgainstSlaveWords(s, matches.Slaves[a]);
        if (!words.empty()) compared += "  slave " + std::to_string(a) + ": " + words + "\n";
    }
    if (t.Rows.size() == 1) return "DP slaves: none\n";
    if (!compared.empty()) compared = "Configuration (Chk_Cfg) against the slave's own (Get_Cfg)\n" + compared;
    return "DP slaves (state, ident and master of the last diagnosis)\n" + RenderTable(t) + compared;
}

std::string DpEventsSection(const BusStats& stats, const GsdMatches& matches) {
    const DpEvents& events = stats.Events;
    if (events.Kept.empty() && events.Dropped == 0) return "Events: none\n";
    std::string text = "Events (" + std::to_string(events.Kept.size());
    if (events.Dropped > 0) text += " kept, " + std::to_string(events.Dropped) + " more not kept";
    text += ")\n";
    for (const DpEvent& event : events.Kept)
        text += "  " + TimeOfDayText(event.Ns) + " " + GsdEventWords(events, event, matches) + "\n";
    return text;
}

}  // namespace zelmot
