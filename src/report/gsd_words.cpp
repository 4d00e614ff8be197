// The device files' part of the reports in words: a slot, the basis of the
// identification and the file used, a parameter and the parameters against
// their defaults, the configuration against the slave's own, the response
// time check, the device's name, and the names a diagnosis takes from the
// device (module names by slot, Channel_Diag texts, unit diagnosis texts);
// and the text report's section on the slaves' devices.
#include <cassert>
#include <cstdio>
#include <vector>

#include "common/utf8_text.h"
#include "dp/dp_cfg.h"
#include "dp/dp_cfg_compare.h"
#include "gsd/gsd_words.h"
#include "report/gsd_words.h"

namespace zelmot {
namespace {

std::string BitRangeText(std::uint32_t first, std::uint32_t last) {
    return first == last ? "bit " + std::to_string(first) : "bits " + std::to_string(first) + "-" + std::to_string(last);
}

std::string UnitDiagWords(const GsdDiagText& text) {
    if (!text.Text.empty()) return text.Text;
    return BitRangeText(text.FirstBit, text.LastBit) + " = " + std::to_string(text.Value);
}

std::string Plural(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A parameter's value and its text: "1 (10 ms)".
std::string ValueWords(const GsdParamValue& value) {
    return std::to_string(value.Value) + (value.Text ? " (" + *value.Text + ")" : "");
}

// The name of the module the file names for certain in the slot that holds
// the identifier at offset, or empty.
std::string CertainModuleAt(const GsdDevice& device, const GsdIdentification& identification, std::size_t offset) {
    const std::optional<std::size_t> slot = GsdSlotAt(identification, offset);
    if (!slot || identification.Slots[*slot].Modules.size() != 1) return {};
    return device.Modules[identification.Slots[*slot].Modules.front()].Name;
}

std::string SlaveLines(const GsdSlaveMatch& match, const StationStats& station, std::uint32_t baud) {
    std::string text = " (" + utf8::MakeValid(match.Device->SourceName) + ")\n";  // a path is any bytes
    const std::string file = GsdFileWords(match);
    if (!file.empty()) text += "    file: " + file + "\n";
    const std::string basis = GsdBasisOf(match);
    text += "    modules" + (basis.empty() ? "" : ", " + basis) + ": " +
            GsdModulesWords(match, station.Dp.Cfg.Data, ", ") + "\n";
    const std::string configuration = CfgAgainstSlaveWords(station.Dp, match);
    if (!configuration.empty()) text += "    configuration: " + configuration + "\n";
    text += "    parameters: " + GsdParamsWords(match, ", ") + "\n";
    const std::string response = GsdResponseWords(match, station.Slave.Response, baud);
    if (!response.empty()) text += "    response: " + response + "\n";
    return text;
}

}  // namespace

std::string GsdReadWords(const GsdMatches& matches) {
    std::string text = Plural(matches.DevicesRead, "device", "devices") + " read";
    if (matches.RevisionsRead > 0) text += ", " + Plural(matches.RevisionsRead, "more revision", "more revisions");
    return text;
}

std::string GsdSlotWords(const GsdSlaveMatch& match, const DpBytes& cfg, const GsdSlotId& slot) {
    const fdl::Bytes bytes = fdl::Clip(BytesOf(cfg), slot.CfgOffset, slot.CfgCount);
    if (slot.EmptySlot) return "empty slot";
    if (slot.Modules.empty()) {
        std::string hex;
        for (std::uint8_t b : bytes) hex += (hex.empty() ? "" : " ") + ByteText(b);
        const std::size_t last = slot.CfgOffset + bytes.size() - 1;
        return "no GSD module matches " +
               (bytes.size() == 1 ? "byte " + std::to_string(slot.CfgOffset)
                                  : "bytes " + std::to_string(slot.CfgOffset) + "-" + std::to_string(last)) +
               " (" + hex + ")";
    }
    std::uint64_t in = 0, out = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const dp::CfgModule module = dp::DecodeCfgModule(bytes, at);
        in += module.In.Bytes;
        out += module.Out.Bytes;
        at = module.Next;
    }
    const std::string sizes = " (" + std::to_string(in) + "/" + std::to_string(out) + " bytes)";
    const std::string candidates = GsdCandidatesWords(*match.Device, slot);
    return (slot.Modules.size() == 1 ? "'" + candidates + "'" : candidates) + sizes;
}

std::string GsdModulesWords(const GsdSlaveMatch& match, const DpBytes& cfg, std::string_view separator) {
    if (!match.CfgSeen) return "no Chk_Cfg";
    const std::span<const GsdSlotId> slots = GsdSlots(match);
    std::string text;
    for (std::size_t s = 0; s < slots.size(); ++s)
        text += (s == 0 ? "" : std::string(separator)) + "slot " + std::to_string(s) + ": " +
                GsdSlotWords(match, cfg, slots[s]);
    return text.empty() ? "none" : text;
}

std::string GsdBasisOf(const GsdSlaveMatch& match) {
    if (match.Device == nullptr || !match.CfgSeen) return {};
    return GsdBasisWords(match.Choice.Identification);
}

std::string GsdFileWords(const GsdSlaveMatch& match) {
    if (match.Device == nullptr) return {};
    const std::string choice = GsdChoiceWords(match.Choice);
    const std::string skipped = GsdSkippedWords(*match.Device);
    return choice + (choice.empty() || skipped.empty() ? "" : "; ") + skipped;
}

std::string GsdParamsWords(const GsdSlaveMatch& match, std::string_view separator) {
    if (!match.PrmSeen) return "no Set_Prm";
    if (match.Params.empty()) return "none named";
    const GsdParamSummary summary = SummariseGsdParams(match.Params);
    // Those set otherwise and those not read, in the order of the parameters.
    std::vector<bool> shown(match.Params.size(), false);
    for (std::size_t i : summary.Set) shown[i] = true;
    for (std::size_t i : summary.Unread) shown[i] = true;
    std::string listed;
    for (std::size_t i = 0; i < match.Params.size(); ++i)
        if (shown[i]) listed += (listed.empty() ? "" : std::string(separator)) + GsdParamWords(match.Params[i]);
    return GsdParamCountWords(summary) + (listed.empty() ? "" : ": " + listed);
}

std::string CfgAgainstSlaveWords(const DpSlaveStats& dp, const GsdSlaveMatch& match) {
    if (!dp.Cfg.Seen || !dp.GetCfg.Seen) return {};
    const fdl::Bytes master = BytesOf(dp.Cfg.Data);
    const fdl::Bytes slave = BytesOf(dp.GetCfg.Data);
    const dp::CfgComparison compared = dp::CompareCfg(master, slave);
    std::string masterName, slaveName;
    if (!compared.Matches && match.Device != nullptr && match.CfgSeen) {
        if (compared.MasterCount > 0)
            masterName = CertainModuleAt(*match.Device, match.Choice.Identification, compared.MasterOffset);
        // The slave's own bytes identified by themselves: no parameter bytes go with them.
        if (compared.SlaveCount > 0)
            slaveName = CertainModuleAt(*match.Device, IdentifyGsdModules(*match.Device, slave, std::nullopt),
                                        compared.SlaveOffset);
    }
    return dp::CfgComparisonWords(compared, master, slave, masterName, slaveName);
}

std::string GsdParamWords(const GsdParamValue& value) {
    std::string text = value.Slot ? "slot " + std::to_string(*value.Slot) + ": " : "";
    if (!value.Known) return text + "definition " + std::to_string(value.Definition) + " (not in the GSD file)";
    if (!value.Present) return text + value.Name + ": not in the Set_Prm";
    return text + value.Name + " = " + ValueWords(value);
}

std::string GsdResponseWords(const GsdSlaveMatch& match, const DurationStats& response, std::uint32_t baud) {
    if (response.Count == 0) return {};
    if (!match.MaxTsdrBits) return "the GSD file gives no MaxTsdr for this baud";
    char upTo[64];
    std::snprintf(upTo, sizeof upTo, "answers in up to %.1f bit times", NsToBits(static_cast<double>(response.Max), baud));
    const std::string limit = std::to_string(*match.MaxTsdrBits);
    if (match.SlowAnswers == 0) return upTo + (", within the GSD's " + limit);
    return upTo + (", GSD allows " + limit + " (" + Plural(match.SlowAnswers, "answer", "answers") + " slower)");
}

std::string GsdDeviceName(const GsdSlaveMatch& match) {
    if (match.Device == nullptr) return {};
    const std::string& vendor = match.Device->VendorName;
    const std::string& model = match.Device->ModelName;
    return vendor + (vendor.empty() || model.empty() ? "" : " ") + model;
}

DiagNames GsdDiagNames(const GsdSlaveMatch& match) {
    if (match.Device == nullptr) return {};
    DiagNames names;
    names.Module = [&match](std::size_t slot) {
        const GsdModule* module = GsdSlotModule(match, slot);
        return module != nullptr ? module->Name : std::string();
    };
    names.ChannelError = [&match](std::uint8_t error) {
        return std::string(GsdChannelDiagText(*match.Device, error));
    };
    names.Device = [&match](const dp::DiagBlock& block) {
        std::string text;
        for (const GsdDiagText& found : GsdBlockTexts(match, block)) text += (text.empty() ? "" : ", ") + UnitDiagWords(found);
        return text;
    };
    return names;
}

std::string GsdEventWords(const DpEvents& events, const DpEvent& event, const GsdMatches& matches) {
    assert(event.Address < matches.Slaves.size());
    const GsdSlaveMatch& match = matches.Slaves[event.Address];
    if (match.Device == nullptr || event.Kind == DpEventKind::GlobalControl) return DpEventWords(events, event);
    return DpEventWords(events, event, GsdDiagNames(match), GsdDeviceName(match));
}

std::string GsdSlavesSection(const BusStats& stats, const GsdMatches& matches) {
    if (!matches.Given) return {};
    std::string text = "DP slaves by their GSD files (" + GsdReadWords(matches) + ")\n";
    std::string unmatched;
    bool any = false;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& station = stats.Stations[a];
        if (!station.Listed || !station.Dp.Active) continue;
        any = true;
        const GsdSlaveMatch& match = matches.Slaves[a];
        if (match.Device == nullptr) {
            const std::optional<std::uint16_t> ident = SlaveIdent(station.Dp);
            unmatched += (unmatched.empty() ? "slave " : ", slave ") + std::to_string(a) +
                         (ident ? " (" + IdentText(*ident) + ")" : "");
            continue;
        }
        text += "  slave " + std::to_string(a) + ": " + GsdDeviceName(match) + SlaveLines(match, station, stats.Baud);
    }
    if (!any) text += "  no DP slave\n";
    if (!unmatched.empty()) text += "  no GSD file for " + unmatched + "\n";
    return text;
}

}  // namespace zelmot
