// What a frame's receive-status byte becomes in an export: the link-layer
// error bits of the packet's epb_flags, and the packet comment that gives the
// exact byte with the letters of the detailed status column.
#pragma once

#include <cstdint>
#include <string>

namespace zelmot {

// epb_flags bits 24-31: link-layer-dependent errors.
constexpr std::uint32_t kEpbCrcError = 1u << 24;
constexpr std::uint32_t kEpbPacketTooLong = 1u << 25;
constexpr std::uint32_t kEpbPacketTooShort = 1u << 26;
constexpr std::uint32_t kEpbStartDelimiterError = 1u << 29;
constexpr std::uint32_t kEpbSymbolError = 1u << 31;

// Check sum -> CRC error, overrun -> too long, underrun -> too short, invalid
// or repeated start delimiter -> start frame delimiter error, stop or parity
// bit -> symbol error. An invalid end delimiter has no bit of its own.
std::uint32_t EpbFlagsOfStatus(std::uint8_t status);

// The eight letters as the detailed status column writes them ("........",
// ".p....c.").
std::string StatusLetters(std::uint8_t status);

// "Status 0x42 .p....c.": the comment of a packet received with errors.
std::string StatusComment(std::uint8_t status);

}  // namespace zelmot
