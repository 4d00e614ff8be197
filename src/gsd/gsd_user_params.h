// Naming a slave's user parameters from its device file: every
// Ext_User_Prm_Data_Ref of the device and of the modules in its slots, with
// the value found at its place in the Set_Prm user bytes and the PrmText
// text for that value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "gsd/gsd_config_match.h"
#include "gsd/gsd_device.h"

namespace zelmot {

struct GsdParamValue {
    std::optional<std::size_t> Slot;  // the slot whose module names it; none: the device's own
    std::uint32_t Offset = 0;         // in the user bytes (from Set_Prm byte 7)
    std::uint32_t Definition = 0;     // the ExtUserPrmData number referred to
    bool Known = false;               // a definition with that number exists
    std::string Name;
    bool Present = false;             // its bytes lie inside the user bytes
    std::int64_t Value = 0;           // its bits, or bytes big-endian (signed types sign-extended)
    std::optional<std::string> Text;  // the PrmText text for Value
};

// userBytes are the Set_Prm bytes from byte 7 on (for a DP-V1 slave the
// three DP-V1 status bytes first). The parameters of the modules in slots
// (those with an Ext_Module_Prm_Data_Len) are the last bytes, in slot order;
// when the user bytes are too few for them they follow the bytes the
// device's own entries reach. Device references come first, then each
// slot's, in file order.
std::vector<GsdParamValue> NameGsdUserParameters(const GsdDevice& device, std::span<const std::uint8_t> userBytes,
                                                 std::span<const GsdSlot> slots);

}  // namespace zelmot
