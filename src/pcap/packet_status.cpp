// The status byte's mapping onto epb_flags and its comment text, both read
// from the one table of the status bits.
#include "pcap/packet_status.h"

namespace zelmot {

std::uint32_t EpbFlagsOfStatus(std::uint8_t status) {
    if (status == 0) return 0;  // a frame received well: most of them
    std::uint32_t flags = 0;
    for (const StatusBitName& bit : kStatusBits)
        if (status & bit.Mask) flags |= bit.EpbFlag;
    return flags;
}

std::string StatusLetters(std::uint8_t status) {
    std::string letters(8, '.');
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit)
        if (status & kStatusBits[bit].Mask) letters[bit] = kStatusBits[bit].Letter;
    return letters;
}

std::string StatusComment(std::uint8_t status) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string text = "Status 0x";
    text.push_back(kHex[status >> 4]);
    text.push_back(kHex[status & 0x0F]);
    text.push_back(' ');
    text += StatusLetters(status);
    return text;
}

}  // namespace zelmot
