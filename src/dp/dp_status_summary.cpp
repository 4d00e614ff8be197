// Summing up module status and identifier blocks, and the module status
// block's words; the state names are the module_status table's.
#include "dp/dp_status_summary.h"

#include "dp/dp_codes.h"
#include "dp/dp_names.h"

namespace zelmot::dp {
namespace {

constexpr std::uint8_t kOk = 0;

std::string Name(const NameTable& table, unsigned value, const char* what) {
    const std::string_view name = LookupName(table, value);
    return name.empty() ? what + std::to_string(value) : std::string(name);
}

std::string SlotWords(const SlotState& entry) {
    return "slot " + std::to_string(entry.Slot) + ": " + Name(kModuleStatusNames, entry.State, "") +
           (entry.Beyond ? " (beyond the configuration)" : "");
}

std::string AllOkWords(std::size_t ok) {
    if (ok == 0) return "no module";
    return ok == 1 ? "1 module OK" : "all " + std::to_string(ok) + " modules OK";
}

}  // namespace

ModuleStatusSummary SummariseModuleStatus(fdl::Bytes states, std::optional<std::size_t> configuredSlots) {
    const std::size_t entries = states.size() * kModulesPerStatusByte;
    ModuleStatusSummary summary;
    summary.Slots = configuredSlots.value_or(entries);
    summary.Unreported = summary.Slots > entries ? summary.Slots - entries : 0;
    for (std::size_t m = 0; m < entries; ++m) {
        const std::uint8_t state = ModuleStatusAt(states, m);
        const bool beyond = m >= summary.Slots;
        if (state != kOk)
            summary.NotOk.push_back(SlotState{m, state, beyond});
        else if (!beyond)
            ++summary.Ok;
    }
    return summary;
}

std::string ModuleStatusSummaryWords(const ModuleStatusSummary& summary) {
    std::string listed;
    bool withinBad = false;
    for (const SlotState& entry : summary.NotOk) {
        listed += (listed.empty() ? "" : ", ") + SlotWords(entry);
        withinBad = withinBad || !entry.Beyond;
    }
    std::string text;
    if (!withinBad) {
        text = AllOkWords(summary.Ok) + (listed.empty() ? "" : "; " + listed);
    } else {
        text = listed + (summary.Ok == 0 ? "" : "; the other " + std::to_string(summary.Ok) + " OK");
    }
    if (summary.Unreported > 0) {
        const std::size_t first = summary.Slots - summary.Unreported;
        text += summary.Unreported == 1 ? "; slot " + std::to_string(first) + " not in the block"
                                        : "; slots " + std::to_string(first) + "-" +
                                              std::to_string(summary.Slots - 1) + " not in the block";
    }
    return text;
}

std::string ModuleStatusBlockWords(const DiagBlock& block, std::optional<std::size_t> configuredSlots) {
    return Name(kStatusTypeNames, block.Type, "status type ") + (block.Dpv0Layout ? ", DP-V1 layout," : "") +
           " slot " + std::to_string(block.Slot) + " " + Name(kStatusSpecifierNames, block.Specifier, "specifier ") +
           ": " + ModuleStatusSummaryWords(SummariseModuleStatus(block.Content, configuredSlots));
}

std::vector<SlotState> FlaggedModules(fdl::Bytes bits, std::optional<std::size_t> configuredSlots) {
    std::vector<SlotState> flagged;
    for (std::size_t m = NextFlaggedModule(bits, 0); m != kNoModule; m = NextFlaggedModule(bits, m + 1))
        flagged.push_back(SlotState{m, 0, configuredSlots && m >= *configuredSlots});
    return flagged;
}

}  // namespace zelmot::dp
