// The DP slave's part of the comparison, from the "dp" and "gsd" objects of
// both reports.
#include "report/changes_dp.h"

#include <algorithm>
#include <map>
#include <utility>

#include "report/change_figures.h"

namespace zelmot {
namespace {

using Json = ReportDocument;

const Json kNull;

const Json& At(const Json& object, const char* key) {
    return object.is_object() && object.contains(key) ? object[key] : kNull;
}

// "0x13 0x21" from "1321".
std::string HexBytes(const Json& hex) {
    if (!hex.is_string()) return "none";
    const std::string text = hex.get<std::string>();
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) bytes += (bytes.empty() ? "0x" : " 0x") + text.substr(i, 2);
    return bytes.empty() ? "none" : bytes;
}

std::string IdentWords(const Json& ident) {
    if (!ident.is_number()) return "none";
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", ident.get<unsigned>());
    return text;
}

std::string Watchdog(const Json& prm) {
    if (!prm.is_object()) return "none";
    const Json& bits = At(prm, "station_status_bits");
    const bool on = bits.is_array() && std::find(bits.begin(), bits.end(), "WD_On") != bits.end();
    return on ? Grouped(At(prm, "watchdog_ms")) + " ms" : "off";
}

void CompareModules(const Json& b, const Json& a, int address, const std::string& name, std::vector<Change>& changes) {
    const Json& modulesB = At(At(At(b, "dp"), "cfg"), "modules");
    const Json& modulesA = At(At(At(a, "dp"), "cfg"), "modules");
    if (!modulesB.is_array() || !modulesA.is_array()) return;
    const Json& namesB = At(At(b, "gsd"), "modules");
    const Json& namesA = At(At(a, "gsd"), "modules");
    auto label = [](const Json& modules, const Json& names, std::size_t slot) {
        if (slot >= modules.size()) return std::string("none");
        const Json& named = names.is_array() && slot < names.size() ? At(names[slot], "name") : kNull;
        return named.is_string() ? "'" + named.get<std::string>() + "'" : HexBytes(At(modules[slot], "hex"));
    };
    for (std::size_t slot = 0; slot < std::max(modulesB.size(), modulesA.size()); ++slot) {
        const Json& hexB = slot < modulesB.size() ? At(modulesB[slot], "hex") : kNull;
        const Json& hexA = slot < modulesA.size() ? At(modulesA[slot], "hex") : kNull;
        if (hexB == hexA) continue;
        AddChange(changes, {"module", address, "module " + std::to_string(slot), hexB, hexA, std::nullopt,
                            name + ": module " + std::to_string(slot) + " was " + label(modulesB, namesB, slot) +
                                ", now " + label(modulesA, namesA, slot)});
    }
}

// The parameters by the GSD's names when both reports name them, else the
// user parameter bytes one by one.
void CompareParameters(const Json& b, const Json& a, int address, const std::string& name,
                       std::vector<Change>& changes) {
    const Json& namedB = At(At(b, "gsd"), "prm");
    const Json& namedA = At(At(a, "gsd"), "prm");
    if (namedB.is_array() && namedA.is_array()) {
        std::map<std::pair<std::string, std::string>, const Json*> was;
        for (const Json& p : namedB) was[{Text(At(p, "name")), Text(At(p, "slot"))}] = &p;
        for (const Json& p : namedA) {
            auto old = was.find({Text(At(p, "name")), Text(At(p, "slot"))});
            if (old == was.end() || At(*old->second, "value") == At(p, "value")) continue;
            auto value = [](const Json& param) {
                const Json& text = At(param, "text");
                return Text(At(param, "value")) + (text.is_string() ? " (" + text.get<std::string>() + ")" : "");
            };
            const std::string slot = At(p, "slot").is_null() ? "" : " of slot " + Text(At(p, "slot"));
            AddChange(changes, {"parameter", address, "parameter '" + Text(At(p, "name")) + "'" + slot,
                                At(*old->second, "value"), At(p, "value"), std::nullopt,
                                name + ": parameter '" + Text(At(p, "name")) + "'" + slot + " " + value(*old->second) +
                                    " -> " + value(p)});
        }
        return;
    }
    const Json& hexB = At(At(At(b, "dp"), "prm"), "user_prm_hex");
    const Json& hexA = At(At(At(a, "dp"), "prm"), "user_prm_hex");
    if (!hexB.is_string() || !hexA.is_string() || hexB == hexA) return;
    const std::string textB = hexB.get<std::string>(), textA = hexA.get<std::string>();
    for (std::size_t i = 0; i < std::max(textB.size(), textA.size()); i += 2) {
        const std::string byteB = i < textB.size() ? "0x" + textB.substr(i, 2) : "none";
        const std::string byteA = i < textA.size() ? "0x" + textA.substr(i, 2) : "none";
        if (byteB == byteA) continue;
        const std::string what = "user parameter byte " + std::to_string(i / 2);
        AddChange(changes, {"parameter", address, what, byteB, byteA, std::nullopt,
                            name + ": " + what + " " + byteB + " -> " + byteA});
    }
}

bool ReportsFault(const Json& bits) {
    if (!bits.is_array()) return false;
    for (const char* bad : {"Station_Not_Ready", "Cfg_Fault", "Ext_Diag", "Not_Supported", "Prm_Fault", "Prm_Req",
                            "Stat_Diag"})
        if (std::find(bits.begin(), bits.end(), bad) != bits.end()) return true;
    return false;
}

std::string DiagnosisWords(const Json& last) {
    const Json& bits = At(last, "bits");
    std::string text;
    if (bits.is_array())
        for (const Json& bit : bits) text += (text.empty() ? "" : ", ") + Text(bit);
    if (At(last, "ext").is_array() && !At(last, "ext").empty()) text += (text.empty() ? "" : ", ") + std::string("extended");
    return text.empty() ? "no bits" : text;
}

void CompareDiagnosis(const Json& b, const Json& a, int address, const std::string& name,
                      std::vector<Change>& changes) {
    const Json& lastB = At(At(At(b, "dp"), "diag"), "last");
    const Json& lastA = At(At(At(a, "dp"), "diag"), "last");
    if (!lastB.is_object() || !lastA.is_object() || At(lastB, "hex") == At(lastA, "hex")) return;
    const bool faultB = ReportsFault(At(lastB, "bits")), faultA = ReportsFault(At(lastA, "bits"));
    const std::optional<bool> worse = faultA == faultB ? std::nullopt : std::optional<bool>(faultA);
    std::string wordsB = DiagnosisWords(lastB), wordsA = DiagnosisWords(lastA);
    if (wordsB == wordsA) wordsB = HexBytes(At(lastB, "hex")), wordsA = HexBytes(At(lastA, "hex"));
    AddChange(changes, {"diagnosis", address, "last diagnosis", At(lastB, "hex"), At(lastA, "hex"), worse,
                        name + ": last diagnosis " + wordsB + " -> " + wordsA});
}

}  // namespace

void CompareDpSlave(const ReportDocument& before, const ReportDocument& after, const ReportDocument& b,
                    const ReportDocument& a, int address, const std::string& name, std::vector<Change>& changes) {
    const Json& dpB = At(b, "dp");
    const Json& dpA = At(a, "dp");
    if (!dpB.is_object() || !dpA.is_object()) return;
    if (At(dpB, "ident").is_number() && At(dpA, "ident").is_number() && At(dpB, "ident") != At(dpA, "ident"))
        AddChange(changes, {"ident", address, "ident", At(dpB, "ident"), At(dpA, "ident"), std::nullopt,
                            name + ": ident " + IdentWords(At(dpB, "ident")) + " -> " + IdentWords(At(dpA, "ident"))});
    if (At(dpB, "state") != At(dpA, "state")) {
        std::optional<bool> worse;
        if (At(dpB, "state") == "data_exchange") worse = true;
        else if (At(dpA, "state") == "data_exchange") worse = false;
        AddChange(changes, {"dp_state", address, "state at the end", At(dpB, "state"), At(dpA, "state"), worse,
                            name + ": state at the end " + Text(At(dpB, "state")) + " -> " + Text(At(dpA, "state"))});
    }
    const double hoursB = SpanHours(before), hoursA = SpanHours(after);
    CompareRate(changes, address, name, "dp_entries", "entries into data exchange per hour",
                Count{Number(At(dpB, "entries")), hoursB}, Count{Number(At(dpA, "entries")), hoursA}, RateUnit::PerHour,
                kMoreDropOuts);
    CompareRate(changes, address, name, "dp_drop_outs", "drop-outs per hour", Count{Number(At(dpB, "drop_outs")), hoursB},
                Count{Number(At(dpA, "drop_outs")), hoursA}, RateUnit::PerHour, kMoreDropOuts);
    const Json& prmB = At(dpB, "prm");
    const Json& prmA = At(dpA, "prm");
    if (prmB.is_object() && prmA.is_object()) {
        if (Watchdog(prmB) != Watchdog(prmA))
            AddChange(changes, {"watchdog", address, "watchdog", Watchdog(prmB), Watchdog(prmA), std::nullopt,
                                name + ": watchdog " + Watchdog(prmB) + " -> " + Watchdog(prmA)});
        if (At(prmB, "min_tsdr_bits") != At(prmA, "min_tsdr_bits"))
            AddChange(changes, {"min_tsdr", address, "min_Tsdr (bit times)", At(prmB, "min_tsdr_bits"),
                                At(prmA, "min_tsdr_bits"), std::nullopt,
                                name + ": min_Tsdr " + Text(At(prmB, "min_tsdr_bits")) + " -> " +
                                    Text(At(prmA, "min_tsdr_bits")) + " bit times"});
        if (At(prmB, "group") != At(prmA, "group"))
            AddChange(changes, {"group", address, "group", At(prmB, "group"), At(prmA, "group"), std::nullopt,
                                name + ": group " + Text(At(prmB, "group")) + " -> " + Text(At(prmA, "group"))});
    }
    CompareModules(b, a, address, name, changes);
    CompareParameters(b, a, address, name, changes);
    CompareDiagnosis(b, a, address, name, changes);
    const Json& gsdB = At(b, "gsd");
    const Json& gsdA = At(a, "gsd");
    if (gsdB.is_object() && gsdA.is_object()) {
        const std::string deviceB = Text(At(gsdB, "vendor")) + " " + Text(At(gsdB, "model"));
        const std::string deviceA = Text(At(gsdA, "vendor")) + " " + Text(At(gsdA, "model"));
        if (deviceB != deviceA)
            AddChange(changes, {"device", address, "device", deviceB, deviceA, std::nullopt,
                                name + ": device " + deviceB + " -> " + deviceA});
    }
}

}  // namespace zelmot
