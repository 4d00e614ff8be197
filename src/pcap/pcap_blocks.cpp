// Block layouts of pcapng and classic pcap. Every pcapng block is its type,
// its total length, its body padded to four bytes and its total length once
// more; options are code, length, value padded to four bytes, and the list
// ends with an end-of-options option.
#include "pcap/pcap_blocks.h"

#include <cstring>

namespace zelmot::pcapfile {
namespace {

// Little-endian stores into a block's bytes already in place.
void Store16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void Store32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Appends by one insert of the whole value, not byte by byte: a packet
// block is several of them, and every frame exported is one block.
void Put16(ByteString& out, std::uint16_t v) {
    std::uint8_t bytes[2];
    Store16(bytes, v);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

void Put32(ByteString& out, std::uint32_t v) {
    std::uint8_t bytes[4];
    Store32(bytes, v);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

void Put64(ByteString& out, std::uint64_t v) {
    Put32(out, static_cast<std::uint32_t>(v));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}

void PadTo4(ByteString& out, std::size_t from) {
    static constexpr std::uint8_t kZeros[3] = {};
    const std::size_t pad = (4 - (out.size() - from) % 4) % 4;
    if (pad != 0) out.insert(out.end(), kZeros, kZeros + pad);
}

void PutOption(ByteString& out, std::uint16_t code, const std::uint8_t* value, std::size_t length) {
    // An option value is at most 65535 bytes; longer texts are cut.
    std::size_t n = length > 0xFFFF ? 0xFFFF : length;
    std::size_t start = out.size();
    Put16(out, code);
    Put16(out, static_cast<std::uint16_t>(n));
    out.insert(out.end(), value, value + n);
    PadTo4(out, start);
}

void PutTextOption(ByteString& out, std::uint16_t code, std::string_view text) {
    PutOption(out, code, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void PutEndOfOptions(ByteString& out) {
    Put16(out, kOptEndOfOptions);
    Put16(out, 0);
}

// Opens a block: its type and a total length filled in by EndBlock.
std::size_t BeginBlock(ByteString& out, std::uint32_t type) {
    std::size_t start = out.size();
    Put32(out, type);
    Put32(out, 0);
    return start;
}

void EndBlock(ByteString& out, std::size_t start) {
    PadTo4(out, start);
    std::uint32_t total = static_cast<std::uint32_t>(out.size() - start + 4);
    Store32(out.data() + start + 4, total);
    Put32(out, total);
}

}  // namespace

void AppendSectionHeader(ByteString& out, std::string_view userApplication) {
    std::size_t start = BeginBlock(out, kSectionHeaderType);
    Put32(out, kByteOrderMagic);
    Put16(out, 1);  // major version
    Put16(out, 0);  // minor version
    Put64(out, ~std::uint64_t{0});  // section length: not given
    if (!userApplication.empty()) {
        PutTextOption(out, kShbUserAppl, userApplication);
        PutEndOfOptions(out);
    }
    EndBlock(out, start);
}

void AppendInterfaceDescription(ByteString& out, const InterfaceInfo& interface) {
    std::size_t start = BeginBlock(out, kInterfaceDescriptionType);
    Put16(out, interface.LinkType);
    Put16(out, 0);  // reserved
    Put32(out, kSnapLength);
    if (!interface.Name.empty()) PutTextOption(out, kIfName, interface.Name);
    if (!interface.Description.empty()) PutTextOption(out, kIfDescription, interface.Description);
    if (interface.Speed != 0) {
        ByteString speed;
        Put64(speed, interface.Speed);
        PutOption(out, kIfSpeed, speed.data(), speed.size());
    }
    PutOption(out, kIfTsResol, &kNanosecondResolution, 1);
    PutEndOfOptions(out);
    EndBlock(out, start);
}

void AppendEnhancedPacket(ByteString& out, const PacketInfo& packet) {
    // The block's type, its total length (set by EndBlock), the interface
    // id (the one interface), the time stamp's high and low words, the
    // captured and the original length, then the data padded to four bytes:
    // one resize, whose zeros are the padding.
    constexpr std::size_t kFixedSize = 28;
    const std::size_t start = out.size();
    const std::size_t length = packet.Bytes.size();
    out.resize(start + kFixedSize + (length + 3) / 4 * 4);
    std::uint8_t* at = out.data() + start;
    Store32(at, kEnhancedPacketType);
    Store32(at + 4, 0);
    Store32(at + 8, 0);
    Store32(at + 12, static_cast<std::uint32_t>(packet.TimeNs >> 32));
    Store32(at + 16, static_cast<std::uint32_t>(packet.TimeNs));
    Store32(at + 20, static_cast<std::uint32_t>(length));
    Store32(at + 24, static_cast<std::uint32_t>(length));
    if (length != 0) std::memcpy(at + kFixedSize, packet.Bytes.data(), length);
    bool options = false;
    for (const std::string& comment : packet.Comments) {
        PutTextOption(out, kOptComment, comment);
        options = true;
    }
    if (packet.Flags != 0) {
        std::uint8_t flags[4];
        Store32(flags, packet.Flags);
        PutOption(out, kEpbFlags, flags, sizeof flags);
        options = true;
    }
    if (options) PutEndOfOptions(out);
    EndBlock(out, start);
}

void AppendClassicFileHeader(ByteString& out, std::uint16_t linkType) {
    Put32(out, kClassicNanosecondMagic);
    Put16(out, 2);  // major version
    Put16(out, 4);  // minor version
    Put32(out, 0);  // time zone offset
    Put32(out, 0);  // time stamp accuracy
    Put32(out, kSnapLength);
    Put32(out, linkType);
}

void AppendClassicRecord(ByteString& out, std::uint64_t timeNs, std::span<const std::uint8_t> bytes) {
    std::uint64_t seconds = timeNs / 1000000000u;
    Put32(out, seconds > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(seconds));
    Put32(out, static_cast<std::uint32_t>(timeNs % 1000000000u));
    Put32(out, static_cast<std::uint32_t>(bytes.size()));
    Put32(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace zelmot::pcapfile
