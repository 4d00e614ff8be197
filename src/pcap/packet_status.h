// What a frame's receive-status byte becomes in an export: the link-layer
// error bits of the packet's epb_flags, and the packet comment that gives the
// exact byte with the letters of the detailed status column.
#pragma once

#include <cstdint>
#include <string>

#include "fdl/fdl_names.h"

namespace zelmot {

// The pcapng flags of the status bits set (kStatusBits): check sum -> CRC
// error, overrun -> too long, underrun -> too short, invalid or repeated
// start delimiter -> start frame delimiter error, stop or parity bit ->
// symbol error. An invalid end delimiter has no bit of its own.
std::uint32_t EpbFlagsOfStatus(std::uint8_t status);

// The eight letters as the detailed status column writes them ("........",
// ".p....c.").
std::string StatusLetters(std::uint8_t status);

// "Status 0x42 .p....c.": the comment of a packet received with errors.
std::string StatusComment(std::uint8_t status);

}  // namespace zelmot
