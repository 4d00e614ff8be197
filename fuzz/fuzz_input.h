// How the fuzz targets read their input bytes: a reader that takes bytes and
// little-endian numbers from the front and gives zeros once the input is used
// up, and the layouts of the conversion targets' inputs with their encoders,
// which the seed corpus maker uses to write inputs the targets read back.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmot::fuzz {

struct ByteReader {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;

    std::size_t Left() const { return size - pos; }
    std::uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    std::uint64_t Number(unsigned bytes) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) value |= std::uint64_t{Byte()} << (8 * i);
        return value;
    }
    // At most n bytes, fewer at the end of the input.
    std::string Take(std::size_t n) {
        n = std::min(n, Left());
        std::string bytes(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
        return bytes;
    }
    std::string Rest() { return Take(Left()); }
};

inline void PutNumber(std::string& to, std::uint64_t value, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i) to.push_back(static_cast<char>(value >> (8 * i)));
}

// Flag bits of a conversion input.
constexpr std::uint8_t kOptionSetMask = 0x03;  // which fixed option file (fixed-option target)
constexpr std::uint8_t kTwoFiles = 0x04;       // the capture bytes split into two files
constexpr std::uint8_t kOneFileMissing = 0x08;  // NumMin names one file more than exists
constexpr std::uint8_t kUseStartRef = 0x10;
constexpr std::uint8_t kUseEndRef = 0x20;
constexpr std::uint8_t kStartAt2359 = 0x40;  // the second file is then hour 00, minute 00
constexpr std::uint8_t kRunTwice = 0x80;     // a second run must give the same console and output

// One whole conversion: command-line settings, the option file (for the
// target that fuzzes it) and the capture bytes, cut into files at split.
struct ConversionInput {
    std::uint8_t flags = 0;
    std::uint16_t split = 0;  // taken modulo the capture size + 1
    std::uint8_t startRef = 0;
    std::uint8_t endRef = 0;
    std::int8_t arg0 = 0;
    std::string optionText;
    std::string capture;
};

// Layout: flags, split (2), StartRef, EndRef, Arg0, [option text length (2),
// option text], capture bytes.
inline ConversionInput DecodeConversionInput(const std::uint8_t* data, std::size_t size,
                                             bool withOptionText) {
    ByteReader in{data, size};
    ConversionInput result;
    result.flags = in.Byte();
    result.split = static_cast<std::uint16_t>(in.Number(2));
    result.startRef = in.Byte();
    result.endRef = in.Byte();
    result.arg0 = static_cast<std::int8_t>(in.Byte());
    if (withOptionText) result.optionText = in.Take(in.Number(2));
    result.capture = in.Rest();
    return result;
}

inline std::string EncodeConversionInput(const ConversionInput& input, bool withOptionText) {
    std::string bytes;
    bytes.push_back(static_cast<char>(input.flags));
    PutNumber(bytes, input.split, 2);
    bytes.push_back(static_cast<char>(input.startRef));
    bytes.push_back(static_cast<char>(input.endRef));
    bytes.push_back(static_cast<char>(input.arg0));
    if (withOptionText) {
        PutNumber(bytes, input.optionText.size(), 2);
        bytes += input.optionText;
    }
    return bytes + input.capture;
}

// Layout of the option reader and filter target's input: the option text's
// length (2) and text, the four CmdArg values (4 each), then frames, each as
// a mode byte, a byte count, the count bytes and the status byte, and the
// gap and gap-after in microseconds (4 each). Mode bit 0 takes the field
// locations from 6 more bytes instead of from the start delimiter.
constexpr std::uint8_t kFrameFreeLocations = 0x01;

}  // namespace zelmot::fuzz
