// Splitting a slave's configuration identifier bytes (Chk_Cfg, Get_Cfg)
// into the modules of its device file, in slot order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "gsd/gsd_device.h"

namespace zelmot {

// One slot: the bytes [Offset, Offset + Count) and the module whose
// identifier bytes they are. Without a module they are bytes no module
// matches, or (EmptySlot) a lone 0x00 identifier that no module names.
struct GsdSlot {
    std::size_t Offset = 0;
    std::size_t Count = 0;
    std::optional<std::size_t> Module;  // index into the device's Modules
    bool EmptySlot = false;
};

// The split that leaves the fewest bytes unmatched, and of those the one
// with the fewest slots (so the longest modules); among equals the module
// listed first. Consecutive unmatched bytes form one slot. A compact
// station's one module list is matched the same way.
std::vector<GsdSlot> MatchGsdModules(const GsdDevice& device, std::span<const std::uint8_t> identifiers);

// True when a module's identifier bytes (at least one) stand in bytes from at on.
bool GsdIdentifiersAt(std::span<const std::uint8_t> bytes, std::size_t at, std::span<const std::uint8_t> module);

}  // namespace zelmot
