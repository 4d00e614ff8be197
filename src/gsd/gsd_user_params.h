// Naming a slave's user parameters from its device file: every
// Ext_User_Prm_Data_Ref of the device and of the modules in its slots, with
// the value found at its place in the Set_Prm user bytes, its default and
// the PrmText text for that value; the look-ups of definitions and text
// lists by number; and the parameters summed up against their defaults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "gsd/gsd_config_match.h"
#include "gsd/gsd_device.h"
#include "gsd/gsd_identify.h"

namespace zelmot {

struct GsdParamValue {
    std::optional<std::size_t> Slot;  // the slot whose module names it; none: the device's own
    std::uint32_t Offset = 0;         // in the user bytes (from Set_Prm byte 7)
    std::uint32_t Definition = 0;     // the ExtUserPrmData number referred to
    bool Known = false;               // a definition with that number exists
    std::string Name;
    std::int64_t Default = 0;         // the definition's default
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

// The same with the slots of an identification (gsd_identify.h): a slot's
// parameters are named only where it holds one module and its parameter
// bytes were found (identified by parameter bytes); no guess.
std::vector<GsdParamValue> NameIdentifiedParameters(const GsdDevice& device, std::span<const std::uint8_t> userBytes,
                                                    const GsdIdentification& identification);

// The definition or text list with this number (the first one read), or null.
const GsdPrmDefinition* FindGsdDefinition(const GsdDevice& device, std::uint32_t number);
const GsdTextList* FindGsdTextList(const GsdDevice& device, std::uint32_t number);

// The bytes a referenced value takes: those of its definition's type, 1
// for a definition the file lacks.
std::uint32_t GsdParamBytes(const GsdDevice& device, std::uint32_t definition);

// Parameters against their defaults: those set otherwise, those that
// cannot be read (no definition, not in the Set_Prm), and how many hold
// their default ("4 set, 59 at their default").
struct GsdParamSummary {
    std::vector<std::size_t> Set;     // indexes into the values, in order
    std::vector<std::size_t> Unread;
    std::size_t AtDefault = 0;
};
GsdParamSummary SummariseGsdParams(std::span<const GsdParamValue> values);

}  // namespace zelmot
