// Which of a device file's modules stand in a slave's slots, found as a
// configuration tool finds them: by the identifier bytes of the Chk_Cfg and
// the parameter bytes of the Set_Prm together. Real modular files give
// dozens of modules the same identifier bytes; what tells them apart is
// the constant part of each module's parameter block, which the master
// sends in its Set_Prm user data: the device part first, then each
// module's part in slot order.
//
// The rule. The user data (Set_Prm from byte 7 on; for a DP-V1 slave the
// three DP-V1 status bytes are its first three, as the file counts them)
// splits into the device part (as far as the device's constant blocks and
// parameters reach, or User_Prm_Data_Len without them; its constants are
// not compared, since masters often hold another revision of the file) and
// one part per slot, each as long as its module's parameter bytes
// (Ext_Module_Prm_Data_Len). A module fits a slot when its identifier bytes
// stand at the slot's place in the Chk_Cfg and its fixed parameter bits
// (gsd_prm_image.h) stand in the slot's part. A split must use up the
// Chk_Cfg and the user data exactly; of the splits, those with the fewest
// slots count, and where they bound the slots differently, those bounded
// as the one that takes the modules listed first. A slot's candidates are
// the modules that fit it in any of them: one names it, several leave it
// open ("one of N: A, B, C").
// Without a Set_Prm, or when no split fits its bytes, the identifier bytes
// alone decide the same way; and when even they leave bytes that no module
// matches, the slots are those of MatchGsdModules (gsd_config_match.h),
// each slot's candidates the modules with its identifier bytes.
//
// The search runs over the byte positions (Chk_Cfg offset, user data
// offset), at most 257 x 257 of them, each trying the modules whose
// identifier bytes stand at its Chk_Cfg offset: no search over the splits
// themselves, whatever their number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "gsd/gsd_device.h"

namespace zelmot {

// Longer Chk_Cfg or user data than a frame can hold is not searched by
// parameter bytes (GsdPrmFault::TooLong).
constexpr std::size_t kGsdMaxSearchBytes = 256;

enum class GsdIdBasis : std::uint8_t {
    Parameters,         // identifier and parameter bytes: a split uses both up
    ConfigurationOnly,  // no Set_Prm: identifier bytes alone
    ParametersUnfit,    // the Set_Prm's bytes fit no split (PrmFault tells why): identifier bytes alone
};

enum class GsdPrmFault : std::uint8_t {
    None,
    DevicePartShort,  // the user data end inside the device part
    NoModuleFits,     // from slot FitSlots on, no module's parameter bytes fit
    BytesLeft,        // every slot fits, with LeftBytes of the user data left after the last
    TooLong,          // Chk_Cfg or user data longer than kGsdMaxSearchBytes
};

// One slot: identifier bytes [CfgOffset, CfgOffset + CfgCount) of the Chk_Cfg.
struct GsdSlotId {
    std::size_t CfgOffset = 0;
    std::size_t CfgCount = 0;
    std::vector<std::size_t> Modules;  // the candidates (indexes into the device's Modules), in file order
    bool EmptySlot = false;            // a lone 0x00 that no module names; no candidates
    // With Basis Parameters and one candidate: its parameter bytes in the user data.
    std::optional<std::size_t> PrmOffset;
    std::size_t PrmCount = 0;
    bool operator==(const GsdSlotId&) const = default;
};
// A slot without candidates that is no empty slot holds bytes no module matches.

struct GsdIdentification {
    GsdIdBasis Basis = GsdIdBasis::ConfigurationOnly;
    std::vector<GsdSlotId> Slots;
    bool IdentifiersSplit = true;      // false: some identifier bytes no module matches
    std::size_t DevicePrmBytes = 0;    // the device part of the user data
    GsdPrmFault PrmFault = GsdPrmFault::None;
    std::size_t FitSlots = 0;          // NoModuleFits: the slots from the first that do fit
    std::size_t LeftBytes = 0;         // BytesLeft
    bool operator==(const GsdIdentification&) const = default;
};

// cfg: the Chk_Cfg bytes; userBytes: the Set_Prm bytes from byte 7 on, or
// none without a Set_Prm.
GsdIdentification IdentifyGsdModules(const GsdDevice& device, std::span<const std::uint8_t> cfg,
                                     std::optional<std::span<const std::uint8_t>> userBytes);

// The device file chosen among those that carry the slave's ident
// (revisions of one device are common): the first whose modules fit by
// parameter bytes, else the first whose identifier bytes split without a
// byte left over, else the first; first in the order given (read order).
struct GsdChoice {
    const GsdDevice* Device = nullptr;  // null when none was given
    std::size_t Candidates = 0;         // the device files given
    bool ByFit = false;                 // chosen over an earlier file because its modules fit better
    GsdIdentification Identification;   // of the chosen device
};

GsdChoice ChooseGsdDevice(std::span<const GsdDevice* const> devices, std::span<const std::uint8_t> cfg,
                          std::optional<std::span<const std::uint8_t>> userBytes);

// The slot whose identifier bytes hold the Chk_Cfg byte at offset, or none.
std::optional<std::size_t> GsdSlotAt(const GsdIdentification& identification, std::size_t cfgOffset);

}  // namespace zelmot
