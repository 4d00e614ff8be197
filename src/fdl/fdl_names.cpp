// Name tables of the frame control and the start delimiters. Every function
// name is five characters wide, blanks included, so that the columns after it
// line up.
#include "fdl/fdl_names.h"

#include <array>

#include "fdl/fdl_codes.h"

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

struct DelimiterRow {
    std::uint8_t Sd;
    std::string_view Name;
};

constexpr std::array<DelimiterRow, 5> kDelimiterNames = {{
    {fdl::SD1, "SD1"}, {fdl::SD2, "SD2"}, {fdl::SD3, "SD3"}, {fdl::SD4, "SD4"}, {fdl::SC, "SC"},
}};

}  // namespace

std::string_view DelimiterName(std::uint8_t sd) {
    for (const auto& row : kDelimiterNames)
        if (row.Sd == sd) return row.Name;
    return {};
}

std::string_view RequestFunctionName(std::uint8_t fc) {
    return kRequestNames[((fc >> 3) & 0x10u) | (fc & fdl::FcFunctionMask)];
}

std::string_view ResponseFunctionName(std::uint8_t fc) { return kResponseNames[fc & fdl::FcFunctionMask]; }

std::string_view StationTypeName(std::uint8_t fc) { return kStationTypes[(fc >> 4) & 0x03u]; }

}  // namespace zelmot
