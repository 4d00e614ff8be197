// The capture file format: the 40-byte header, the frame record layout, the
// baud names, the per-minute file names and how one file follows another.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zelmot {

constexpr std::uint8_t kSyncMark = 0xDD;
constexpr std::size_t kCaptureHeaderSize = 40;
constexpr std::size_t kRecordHeaderSize = 8;  // kSyncMark, 6 time-stamp bytes, Length
constexpr std::uint16_t kBaudIndexCount = 9;

using CaptureHeader = std::array<std::uint8_t, kCaptureHeaderSize>;

std::uint16_t HeaderBaudIndex(const CaptureHeader& header);
std::uint32_t HeaderDeviceAddress(const CaptureHeader& header);
// The device name: up to the first NUL byte or the end of its 32 bytes.
std::string_view HeaderDeviceName(const CaptureHeader& header);

// "9k6" .. "12m" for indices 0-8; empty for any other.
std::string_view BaudName(std::uint16_t baudIndex);

// The 48-bit little-endian time stamp of a whole (8-byte) record header,
// widened: bytes 1 to 6, on a little-endian machine one load of the eight.
inline std::uint64_t RecordTimeStamp(const std::uint8_t* recordHeader) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t header;
        std::memcpy(&header, recordHeader, sizeof header);
        return header >> 8 & 0xFFFF'FFFF'FFFFu;
    }
    const std::uint8_t* b = recordHeader + 1;
    return static_cast<std::uint64_t>(b[0]) | static_cast<std::uint64_t>(b[1]) << 8 |
           static_cast<std::uint64_t>(b[2]) << 16 | static_cast<std::uint64_t>(b[3]) << 24 |
           static_cast<std::uint64_t>(b[4]) << 32 | static_cast<std::uint64_t>(b[5]) << 40;
}

// "<stem>HHMM.Zelmot".
std::string CaptureFileName(const std::string& stem, unsigned hour, unsigned minute);

// Moves a file's hour and minute on by one minute: minute 59 becomes 0 and
// the hour moves on, hour 23 (or any hour above it) becoming 0.
void AdvanceCaptureMinute(unsigned& hour, unsigned& minute);

}  // namespace zelmot
