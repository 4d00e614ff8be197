// Capture file format: header fields, baud names, file names and sequence.
#include "capture/capture_format.h"

#include <cstring>

namespace zelmot {
namespace {

constexpr std::string_view kBaudNames[kBaudIndexCount] = {
    "9k6", "19k2", "93k75", "187k5", "500k", "1m5", "3m", "6m", "12m",
};

constexpr std::size_t kDeviceNameOffset = 8;
constexpr std::size_t kDeviceNameSize = 32;

}  // namespace

std::uint16_t HeaderBaudIndex(const CaptureHeader& header) {
    return static_cast<std::uint16_t>(header[2] | (header[3] << 8));
}

std::uint32_t HeaderDeviceAddress(const CaptureHeader& header) {
    return static_cast<std::uint32_t>(header[4]) | (static_cast<std::uint32_t>(header[5]) << 8) |
           (static_cast<std::uint32_t>(header[6]) << 16) |
           (static_cast<std::uint32_t>(header[7]) << 24);
}

std::string_view HeaderDeviceName(const CaptureHeader& header) {
    const char* name = reinterpret_cast<const char*>(header.data() + kDeviceNameOffset);
    const void* nul = std::memchr(name, '\0', kDeviceNameSize);
    std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - name) : kDeviceNameSize;
    return std::string_view(name, length);
}

std::string_view BaudName(std::uint16_t baudIndex) {
    return baudIndex < kBaudIndexCount ? kBaudNames[baudIndex] : std::string_view();
}

std::string CaptureFileName(const std::string& stem, unsigned hour, unsigned minute) {
    std::string name = stem;
    name.push_back(static_cast<char>('0' + hour / 10 % 10));
    name.push_back(static_cast<char>('0' + hour % 10));
    name.push_back(static_cast<char>('0' + minute / 10 % 10));
    name.push_back(static_cast<char>('0' + minute % 10));
    name += ".Zelmot";
    return name;
}

void AdvanceCaptureMinute(unsigned& hour, unsigned& minute) {
    if (minute < 59) {
        ++minute;
        return;
    }
    minute = 0;
    hour = hour < 23 ? hour + 1 : 0;
}

}  // namespace zelmot
