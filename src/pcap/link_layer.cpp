// Packets of the two link types.
#include "pcap/link_layer.h"

#include <cstring>

namespace zelmot {

std::uint16_t LinkTypeOf(LinkKind link) {
    return link == LinkKind::User0 ? kLinkTypeUser0 : kLinkTypeProfibusDl;
}

std::span<const std::uint8_t> AssemblePacket(PacketBuffer& buffer, LinkKind link, const std::uint8_t* frame,
                                             std::uint8_t length, std::uint8_t status, std::uint8_t notes) {
    std::size_t at = 0;
    if (link == LinkKind::User0) {
        buffer[0] = kUser0Version;
        buffer[1] = kUser0HeaderLength;
        buffer[2] = status;
        buffer[3] = notes;
        at = kUser0HeaderLength;
    }
    if (length > 0) std::memcpy(buffer.data() + at, frame, length);
    return std::span<const std::uint8_t>(buffer.data(), at + length);
}

}  // namespace zelmot
