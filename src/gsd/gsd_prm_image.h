// The parameter bytes a device file fixes, as a configuration tool builds
// them: the constant blocks (Ext_User_Prm_Data_Const) laid down in file
// order, a later block over an earlier one where they overlap, less the
// bits its parameters (Ext_User_Prm_Data_Ref) take, since files put
// parameter bits into constant bytes; and how long the device's own and a
// module's parameter bytes are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gsd/gsd_device.h"

namespace zelmot {

struct GsdPrmImage {
    std::vector<std::uint8_t> Bytes;  // the constant bytes; 0 where no block gives one
    std::vector<std::uint8_t> Fixed;  // per byte, the bits a block gives and no parameter takes
    bool operator==(const GsdPrmImage&) const = default;
};

// The image of the first length bytes that consts and refs describe (their
// offsets from the same first byte); what lies beyond length is left out.
// A parameter takes the bits of its Bit or BitArea, all bits of a number
// type's bytes, and the whole byte at its offset when the file lacks its
// definition.
GsdPrmImage BuildGsdPrmImage(const GsdDevice& device, std::span<const GsdPrmConst> consts,
                             std::span<const GsdPrmRef> refs, std::size_t length);

// True when bytes, as many as the image has, hold the image's fixed bits.
bool FitsGsdPrmImage(const GsdPrmImage& image, std::span<const std::uint8_t> bytes);

// The device's own parameter bytes from Set_Prm byte 7 (the DP-V1 status
// bytes first): as far as its constant blocks and parameters reach, or
// User_Prm_Data_Len when it has neither.
std::size_t GsdDevicePrmLength(const GsdDevice& device);

// A module's parameter bytes: its Ext_Module_Prm_Data_Len, or as far as its
// constant blocks and parameters reach when it gives none.
std::size_t GsdModulePrmLength(const GsdDevice& device, const GsdModule& module);

}  // namespace zelmot
