// The device file's texts for a slave's diagnosis: unit diagnosis bits and
// areas over the extended diagnosis bytes, and manufacturer channel error
// types.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gsd/gsd_device.h"

namespace zelmot {

// A text that applies: a Unit_Diag_Bit whose bit is set, a
// Unit_Diag_Not_Bit whose bit is clear (FirstBit = LastBit, Value the bit),
// or a Unit_Diag_Area (IsArea) with its value and that value's text (empty
// when the area names none; an area at 0 without a text is left out).
struct GsdDiagText {
    std::uint32_t FirstBit = 0;
    std::uint32_t LastBit = 0;
    bool IsArea = false;
    std::int64_t Value = 0;
    std::string Text;
};

// extended holds the diagnosis bytes after the six standard ones; bit n is
// bit n % 8 of byte n / 8. Bits beyond those bytes give no text. Bits come
// first, in file order, then the areas.
std::vector<GsdDiagText> GsdUnitDiagTexts(const GsdDevice& device, std::span<const std::uint8_t> extended);

// The texts of one device-related block (header byte first), its bits
// counted as device files count them: bit 0 is bit 0 of the byte after the
// header. So a DP-V1 status or alarm block's type, slot and specifier are
// bits 0-23 and its data begins at bit 24, where files begin their texts;
// a module status block whose modules are all OK sets no bit from there.
std::vector<GsdDiagText> GsdDeviceBlockTexts(const GsdDevice& device, std::span<const std::uint8_t> block);

// The Channel_Diag text of an error type, or empty.
std::string_view GsdChannelDiagText(const GsdDevice& device, std::uint8_t errorType);

}  // namespace zelmot
