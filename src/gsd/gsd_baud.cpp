// Baud tables: the bit rates by GsdBaud, and the capture's baud indexes.
#include "gsd/gsd_baud.h"

#include <array>
#include <cstddef>

namespace zelmot {
namespace {

// Indexed by GsdBaud.
constexpr std::array<std::uint32_t, kGsdBaudCount> kBitRates = {
    9'600, 19'200, 31'250, 45'450, 93'750, 187'500, 500'000, 1'500'000, 3'000'000, 6'000'000, 12'000'000,
};

// Indexed by the capture header's baud index; keep in order with the baud
// table of the frame timing.
constexpr std::array<GsdBaud, 9> kCaptureBauds = {
    GsdBaud::B9k6, GsdBaud::B19k2, GsdBaud::B93k75, GsdBaud::B187k5, GsdBaud::B500k,
    GsdBaud::B1M5, GsdBaud::B3M,   GsdBaud::B6M,    GsdBaud::B12M,
};

}  // namespace

std::uint32_t GsdBaudBitRate(GsdBaud baud) { return kBitRates[static_cast<std::size_t>(baud)]; }

std::optional<GsdBaud> GsdBaudOfCaptureIndex(std::uint16_t baudIndex) {
    if (baudIndex >= kCaptureBauds.size()) return std::nullopt;
    return kCaptureBauds[baudIndex];
}

std::optional<std::uint16_t> GsdMaxTsdr(const GsdDevice& device, std::uint16_t baudIndex) {
    const std::optional<GsdBaud> baud = GsdBaudOfCaptureIndex(baudIndex);
    if (!baud) return std::nullopt;
    return device.MaxTsdr[static_cast<std::size_t>(*baud)];
}

}  // namespace zelmot
