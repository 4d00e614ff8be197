// The blocks of the two file formats, appended to a byte string in
// little-endian order: pcapng's section header, interface description and
// enhanced packet blocks with their options, and classic pcap's file header
// (nanosecond magic) and packet records. Pure layout: no file, no state.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "pcap/byte_sink.h"

namespace zelmot::pcapfile {

constexpr std::uint32_t kSectionHeaderType = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceDescriptionType = 0x00000001;
constexpr std::uint32_t kEnhancedPacketType = 0x00000006;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::uint32_t kClassicNanosecondMagic = 0xA1B23C4D;

// Option codes.
constexpr std::uint16_t kOptEndOfOptions = 0;
constexpr std::uint16_t kOptComment = 1;
constexpr std::uint16_t kShbUserAppl = 4;
constexpr std::uint16_t kIfName = 2;
constexpr std::uint16_t kIfDescription = 3;
constexpr std::uint16_t kIfSpeed = 8;
constexpr std::uint16_t kIfTsResol = 9;
constexpr std::uint16_t kEpbFlags = 2;

constexpr std::uint8_t kNanosecondResolution = 9;  // if_tsresol: 10^-9 s
constexpr std::uint32_t kSnapLength = 65535;

struct InterfaceInfo {
    std::uint16_t LinkType = 0;
    std::string Name;         // if_name; left out when empty
    std::string Description;  // if_description; left out when empty
    std::uint64_t Speed = 0;  // if_speed in bit/s; left out when 0
};

struct PacketInfo {
    std::uint64_t TimeNs = 0;                    // since the Unix epoch
    std::span<const std::uint8_t> Bytes;         // the packet as stored
    std::uint32_t Flags = 0;                     // epb_flags; left out when 0
    std::span<const std::string> Comments;       // one opt_comment each
};

void AppendSectionHeader(ByteString& out, std::string_view userApplication);
void AppendInterfaceDescription(ByteString& out, const InterfaceInfo& interface);
void AppendEnhancedPacket(ByteString& out, const PacketInfo& packet);

void AppendClassicFileHeader(ByteString& out, std::uint16_t linkType);
// Seconds beyond the 32-bit field are held at its largest value.
void AppendClassicRecord(ByteString& out, std::uint64_t timeNs, std::span<const std::uint8_t> bytes);

}  // namespace zelmot::pcapfile
