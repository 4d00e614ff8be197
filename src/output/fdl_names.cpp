// Name tables for the frame-control column and the detailed status column.
// Every function name is five characters wide, blanks included, so that the
// columns after it line up.
#include "output/fdl_names.h"

#include <array>

#include "common/fdl_codes.h"

namespace zelmot {
namespace {

// Request names indexed by bit 7 of the FC (as 0x10) and its bits 0-3.
// Empty entries have no name.
constexpr std::array<std::string_view, 32> kRequestNames = {
    "MTM1 ", "MSRD ", "MSDN ", "SDAL ", "SDNL ", "SDAH ", "SDNH ", "RDD  ",
    "GSRD ", "RFDL ", "MDLY ", "MKEP ", "SRDL ", "SRDH ", "RIR  ", "RLSR ",
    "MTM2 ", "",      "",      "",      "",      "",      "",      "",
    "",      "",      "",      "",      "",      "",      "",      "",
};

// Response names indexed by FC bits 0-3.
constexpr std::array<std::string_view, 16> kResponseNames = {
    "OK   ", "UE   ", "RR   ", "RS   ", "",      "",      "",      "",
    "DL   ", "NR   ", "DH   ", "",      "RDL  ", "RDH  ", "",      "",
};

constexpr std::array<std::string_view, 4> kStationTypes = {"ss ", "mn ", "mr ", "mi "};

// Letters of status bits 0x01 to 0x80; keep in order with the receive status
// bits of common/fdl_codes.h.
constexpr std::string_view kStatusLetters = "spdruoce";

}  // namespace

std::string_view RequestFunctionName(std::uint8_t fc) {
    return kRequestNames[((fc >> 3) & 0x10u) | (fc & fdl::FcFunctionMask)];
}

std::string_view ResponseFunctionName(std::uint8_t fc) { return kResponseNames[fc & fdl::FcFunctionMask]; }

std::string_view StationTypeName(std::uint8_t fc) { return kStationTypes[(fc >> 4) & 0x03u]; }

char StatusLetter(unsigned bit) { return kStatusLetters[bit & 7u]; }

}  // namespace zelmot
