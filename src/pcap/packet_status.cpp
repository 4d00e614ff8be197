// The status byte's mapping onto epb_flags and its comment text. The letters
// come from the output module's table, so both always agree.
#include "pcap/packet_status.h"

#include <array>

#include "common/fdl_codes.h"
#include "output/fdl_names.h"

namespace zelmot {
namespace {

struct StatusBitFlag {
    std::uint8_t Bit;
    std::uint32_t Flag;
};

// The end delimiter bit (fdl::StsEndDelimiter) has no flag.
constexpr std::array<StatusBitFlag, 7> kStatusFlags = {{
    {fdl::StsStopBit, kEpbSymbolError},
    {fdl::StsParity, kEpbSymbolError},
    {fdl::StsStartDelimiter, kEpbStartDelimiterError},
    {fdl::StsRepeat, kEpbStartDelimiterError},
    {fdl::StsUnderrun, kEpbPacketTooShort},
    {fdl::StsOverrun, kEpbPacketTooLong},
    {fdl::StsCheckSum, kEpbCrcError},
}};

}  // namespace

std::uint32_t EpbFlagsOfStatus(std::uint8_t status) {
    std::uint32_t flags = 0;
    for (const StatusBitFlag& entry : kStatusFlags)
        if (status & entry.Bit) flags |= entry.Flag;
    return flags;
}

std::string StatusLetters(std::uint8_t status) {
    std::string letters(8, '.');
    for (unsigned bit = 0; bit < 8; ++bit)
        if (status & (1u << bit)) letters[bit] = StatusLetter(bit);
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
