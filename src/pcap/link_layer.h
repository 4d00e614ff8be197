// The two link types of an export and the packet each makes of a frame:
// PROFIBUS DL (the frame's bytes exactly as recorded) or USER0 with this
// project's pseudo-header in front of them:
//   byte 0  version, kUser0Version
//   byte 1  pseudo-header length in bytes, kUser0HeaderLength
//   byte 2  the receive-status byte as the capture device recorded it
//   byte 3  notes: kNoteSyncLost, kNoteNewFile (bits 2-7 are 0)
// then the frame bytes, start delimiter first.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zelmot {

enum class LinkKind : std::uint8_t { Profibus, User0 };

constexpr std::uint16_t kLinkTypeProfibusDl = 257;
constexpr std::uint16_t kLinkTypeUser0 = 147;

constexpr std::uint8_t kUser0Version = 1;
constexpr std::uint8_t kUser0HeaderLength = 4;
constexpr std::uint8_t kNoteSyncLost = 0x01;  // record boundaries were lost before this frame
constexpr std::uint8_t kNoteNewFile = 0x02;   // a capture file began before this frame

// Room for the pseudo-header and 255 frame bytes.
using PacketBuffer = std::array<std::uint8_t, kUser0HeaderLength + 256>;

std::uint16_t LinkTypeOf(LinkKind link);

// The packet for a frame of length bytes; nothing past them is read.
std::span<const std::uint8_t> AssemblePacket(PacketBuffer& buffer, LinkKind link, const std::uint8_t* frame,
                                             std::uint8_t length, std::uint8_t status, std::uint8_t notes);

}  // namespace zelmot
