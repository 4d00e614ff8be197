// The fixed-width names of the FDL frame-control functions and station types,
// and the letters of the receive-error bits in the status byte.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelmot {

// Five characters ("SRDH ") for a request FC (bit 6 set); empty when the
// function (FC AND 0x8F) has no name. FCB and FCV play no part.
std::string_view RequestFunctionName(std::uint8_t fc);

// Five characters ("DL   ") for a response FC (bit 6 clear); empty when the
// function (FC AND 0x0F) has no name. Bit 7 plays no part.
std::string_view ResponseFunctionName(std::uint8_t fc);

// Three characters ("ss ", "mn ", "mr ", "mi ") from FC bits 4-5.
std::string_view StationTypeName(std::uint8_t fc);

// The letter of status bit `bit` (0 for 0x01 ... 7 for 0x80).
char StatusLetter(unsigned bit);

}  // namespace zelmot
