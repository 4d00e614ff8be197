// Diagnosis blocks summed up as an engineer reads them: a module status
// block as "all 63 modules OK" or only the slots that are not OK, an
// identifier-related block as only the modules it flags. Entries count from
// the Chk_Cfg's first slot; where the configured slots are known, an entry
// beyond them matters only when it is not OK ("beyond the configuration").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dp/dp_diag.h"

namespace zelmot::dp {

struct SlotState {
    std::size_t Slot = 0;
    std::uint8_t State = 0;  // module_status key; 0 for an identifier block's flag
    bool Beyond = false;     // beyond the configured slots
    bool operator==(const SlotState&) const = default;
};

struct ModuleStatusSummary {
    std::size_t Slots = 0;           // the configured slots, or the block's entries without a configuration
    std::size_t Ok = 0;              // of those, the block's entries that are OK
    std::size_t Unreported = 0;      // of those, the ones past the block's entries
    std::vector<SlotState> NotOk;    // in slot order, those beyond the configuration too
    bool operator==(const ModuleStatusSummary&) const = default;
};

// states: a module status block's Content; configuredSlots: the slots of
// the slave's Chk_Cfg (CountCfgIdentifiers, or the device file's slots),
// none when no Chk_Cfg is known.
ModuleStatusSummary SummariseModuleStatus(fdl::Bytes states, std::optional<std::size_t> configuredSlots);

// "all 63 modules OK", "slot 3: wrong module, slot 5: no module; the other
// 61 OK", "all 3 modules OK; slot 40: fault (beyond the configuration)",
// with "; slots 16-62 not in the block" when the block is shorter than the
// configuration.
std::string ModuleStatusSummaryWords(const ModuleStatusSummary& summary);

// A status block of type Module_Status in words: "module status slot 0
// none: all 3 modules OK", or for a DP-V0 slave's block read as one (the
// block's Dpv0Layout) "module status, DP-V1 layout, slot 0 none: ...".
std::string ModuleStatusBlockWords(const DiagBlock& block, std::optional<std::size_t> configuredSlots);

// The modules an identifier block's Content flags, in slot order, marked
// when beyond the configured slots.
std::vector<SlotState> FlaggedModules(fdl::Bytes bits, std::optional<std::size_t> configuredSlots);

}  // namespace zelmot::dp
