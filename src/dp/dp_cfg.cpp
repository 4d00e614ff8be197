// The configuration identifier decoder: general identifiers of one byte,
// special identifiers with their length and manufacturer bytes. A special
// identifier is decoded only when all its bytes lie inside the configuration.
#include "dp/dp_cfg.h"

#include "dp/dp_codes.h"

namespace zelmot::dp {
namespace {

// The length in bytes of a count of `units` (length minus 1 in the identifier).
CfgSize SizeOf(std::uint8_t lengthMinus1, bool words, bool consistent) {
    auto units = static_cast<std::uint16_t>(lengthMinus1 + 1u);
    return CfgSize{static_cast<std::uint16_t>(words ? 2 * units : units), words, consistent};
}

CfgSize SizeOfLengthByte(std::uint8_t length) {
    return SizeOf(length & kCfgLengthByteMask, (length & kCfgWords) != 0, (length & kCfgConsistent) != 0);
}

CfgModule Faulty(fdl::Bytes cfg, CfgModule module, CfgFault fault) {
    module.Fault = fault;
    module.Next = cfg.size();
    module.Identifier = fdl::RestFrom(cfg, module.Offset);
    return module;
}

CfgModule Special(fdl::Bytes cfg, CfgModule module, std::uint8_t id) {
    std::size_t count = id & kCfgManufacturerMask;
    if (count == kCfgManufacturerReserved) return Faulty(cfg, module, CfgFault::ReservedCount);
    bool out = (id & kCfgSpecialOutput) != 0;
    bool in = (id & kCfgSpecialInput) != 0;
    std::size_t lengths = (out ? 1u : 0u) + (in ? 1u : 0u);
    std::size_t size = 1 + lengths + count;
    if (size > cfg.size() - module.Offset) return Faulty(cfg, module, CfgFault::Cut);
    module.Identifier = cfg.subspan(module.Offset, size);
    std::size_t at = 1;
    if (out) module.Out = SizeOfLengthByte(module.Identifier[at++]);  // the output length comes first
    if (in) module.In = SizeOfLengthByte(module.Identifier[at++]);
    module.Manufacturer = module.Identifier.subspan(at);
    module.Next = module.Offset + size;
    return module;
}

}  // namespace

CfgModule DecodeCfgModule(fdl::Bytes cfg, std::size_t offset) {
    CfgModule module;
    module.Offset = module.Next = offset;
    if (offset >= cfg.size()) return module;
    std::uint8_t id = cfg[offset];
    if (id == 0) {
        module.Format = CfgFormat::Empty;
    } else if (id & kCfgDirectionMask) {
        module.Format = CfgFormat::General;
        CfgSize size = SizeOf(id & kCfgGeneralLengthMask, (id & kCfgWords) != 0, (id & kCfgConsistent) != 0);
        if (id & kCfgInput) module.In = size;
        if (id & kCfgOutput) module.Out = size;
    } else {
        module.Format = CfgFormat::Special;
        return Special(cfg, module, id);
    }
    module.Identifier = cfg.subspan(offset, 1);
    module.Next = offset + 1;
    return module;
}

std::size_t CountCfgIdentifiers(fdl::Bytes cfg) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < cfg.size(); at = DecodeCfgModule(cfg, at).Next) ++count;
    return count;
}

}  // namespace zelmot::dp
