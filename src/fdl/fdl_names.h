// The FDL vocabulary, kept once: the eight receive-status bits (mask,
// letter, filter keyword, meaning in words, pcapng error flag), the names of
// the start delimiters, and the fixed-width names of the frame-control
// functions and station types. The columns, the filter, the reports and the
// export all read them from here.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string_view>

#include "fdl/fdl_codes.h"

namespace zelmot {

// pcapng epb_flags bits 24-31: link-layer-dependent errors.
constexpr std::uint32_t kEpbCrcError = 1u << 24;
constexpr std::uint32_t kEpbPacketTooLong = 1u << 25;
constexpr std::uint32_t kEpbPacketTooShort = 1u << 26;
constexpr std::uint32_t kEpbStartDelimiterError = 1u << 29;
constexpr std::uint32_t kEpbSymbolError = 1u << 31;

struct StatusBitName {
    std::uint8_t Mask;
    char Letter;               // in the detailed status column
    std::string_view Keyword;  // the filter's constant
    std::string_view Meaning;  // as the option help gives it
    std::uint32_t EpbFlag;     // 0: pcapng has no flag for it
};

constexpr std::size_t kStatusBitCount = 8;

// One row per bit, 0x01 first: row i is bit i.
constexpr std::array<StatusBitName, kStatusBitCount> kStatusBits = {{
    {fdl::StsStopBit, 's', "STSSTP", "Stop bit error", kEpbSymbolError},
    {fdl::StsParity, 'p', "STSPAR", "Parity bit error", kEpbSymbolError},
    {fdl::StsStartDelimiter, 'd', "STSSD", "Invalid Start Delimiter", kEpbStartDelimiterError},
    {fdl::StsRepeat, 'r', "STSRPT", "Start Delimiter Repeat error", kEpbStartDelimiterError},
    {fdl::StsUnderrun, 'u', "STSUND", "Frame Underrun", kEpbPacketTooShort},
    {fdl::StsOverrun, 'o', "STSOVR", "Frame Overrun", kEpbPacketTooLong},
    {fdl::StsCheckSum, 'c', "STSCHK", "Checksum Incorrect", kEpbCrcError},
    {fdl::StsEndDelimiter, 'e', "STSED", "Invalid End Delimiter", 0},
}};

constexpr bool StatusRowsInBitOrder() {
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit)
        if (kStatusBits[bit].Mask != (1u << bit)) return false;
    return true;
}
static_assert(StatusRowsInBitOrder(), "kStatusBits: row i is status bit i");

// The letter of status bit `bit` (0 for 0x01 ... 7 for 0x80).
constexpr char StatusLetter(unsigned bit) {
    assert(bit < kStatusBitCount);
    return kStatusBits[bit].Letter;
}

// "SD1", "SD2", "SD3", "SD4", "SC"; empty for any other first byte.
std::string_view DelimiterName(std::uint8_t sd);

// Five characters ("SRDH ") for a request FC (bit 6 set); empty when the
// function (FC AND 0x8F) has no name. FCB and FCV play no part.
std::string_view RequestFunctionName(std::uint8_t fc);

// Five characters ("DL   ") for a response FC (bit 6 clear); empty when the
// function (FC AND 0x0F) has no name. Bit 7 plays no part.
std::string_view ResponseFunctionName(std::uint8_t fc);

// Three characters ("ss ", "mn ", "mr ", "mi ") from FC bits 4-5.
std::string_view StationTypeName(std::uint8_t fc);

}  // namespace zelmot
