// Building the constant image of a parameter block and the lengths of the
// device's and the modules' parameter bytes. Every write stays inside the
// image's length.
#include "gsd/gsd_prm_image.h"

#include <algorithm>
#include <cassert>

#include "gsd/gsd_user_params.h"

namespace zelmot {
namespace {

// The bits of the byte at offset + i that a parameter takes.
std::uint8_t TakenBits(const GsdPrmDefinition* definition, std::uint32_t i) {
    if (definition == nullptr) return i == 0 ? 0xFF : 0x00;
    if (definition->Type != GsdPrmType::Bit && definition->Type != GsdPrmType::BitArea) return 0xFF;
    const unsigned width = definition->LastBit - definition->FirstBit + 1u;
    return static_cast<std::uint8_t>(((1u << width) - 1u) << definition->FirstBit);
}

// How far the blocks and parameters reach.
std::size_t Extent(const GsdDevice& device, std::span<const GsdPrmConst> consts, std::span<const GsdPrmRef> refs) {
    std::size_t end = 0;
    for (const GsdPrmConst& entry : consts) end = std::max<std::size_t>(end, entry.Offset + entry.Bytes.size());
    for (const GsdPrmRef& ref : refs) end = std::max<std::size_t>(end, ref.Offset + GsdParamBytes(device, ref.Definition));
    return end;
}

}  // namespace

GsdPrmImage BuildGsdPrmImage(const GsdDevice& device, std::span<const GsdPrmConst> consts,
                             std::span<const GsdPrmRef> refs, std::size_t length) {
    GsdPrmImage image;
    image.Bytes.assign(length, 0);
    image.Fixed.assign(length, 0);
    for (const GsdPrmConst& entry : consts)
        for (std::size_t i = 0; i < entry.Bytes.size() && entry.Offset + i < length; ++i) {
            image.Bytes[entry.Offset + i] = entry.Bytes[i];
            image.Fixed[entry.Offset + i] = 0xFF;
        }
    for (const GsdPrmRef& ref : refs) {
        const GsdPrmDefinition* definition = FindGsdDefinition(device, ref.Definition);
        const std::uint32_t bytes = GsdParamBytes(device, ref.Definition);
        for (std::uint32_t i = 0; i < bytes && ref.Offset + i < length; ++i)
            image.Fixed[ref.Offset + i] &= static_cast<std::uint8_t>(~TakenBits(definition, i));
    }
    return image;
}

bool FitsGsdPrmImage(const GsdPrmImage& image, std::span<const std::uint8_t> bytes) {
    assert(bytes.size() == image.Bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (((bytes[i] ^ image.Bytes[i]) & image.Fixed[i]) != 0) return false;
    return true;
}

std::size_t GsdDevicePrmLength(const GsdDevice& device) {
    if (device.Consts.empty() && device.Refs.empty()) return device.UserPrmDataLen.value_or(0);
    return Extent(device, device.Consts, device.Refs);
}

std::size_t GsdModulePrmLength(const GsdDevice& device, const GsdModule& module) {
    if (module.PrmDataLen) return *module.PrmDataLen;
    return Extent(device, module.Consts, module.Refs);
}

}  // namespace zelmot
