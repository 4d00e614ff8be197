// Matching the DP slaves of a finished run to their device files: the
// ident, the module split of the last Chk_Cfg, the named user parameters
// of the last Set_Prm (from its byte 7 on) and the response times against
// MaxTsdr, which are read from the response-time buckets.
#include "analysis/gsd_match.h"

#include <algorithm>
#include <cassert>

#include "dp/dp_commands.h"
#include "fdl/fdl_bytes.h"
#include "gsd/gsd_baud.h"

namespace zelmot {
namespace {

// Set_Prm bytes before the user bytes a device file's offsets count from.
constexpr std::size_t kPrmStandardBytes = 7;

GsdSlaveMatch MatchSlave(const GsdLibrary& library, const StationStats& station, std::uint32_t baudIndex,
                         std::uint32_t baud) {
    GsdSlaveMatch match;
    const std::optional<std::uint16_t> ident = SlaveIdent(station.Dp);
    if (!ident) return match;
    match.Device = FindGsdDevice(library, *ident);
    if (match.Device == nullptr) return match;
    const DpSlaveStats& dp = station.Dp;
    match.CfgSeen = dp.Cfg.Seen;
    if (match.CfgSeen) match.Slots = MatchGsdModules(*match.Device, BytesOf(dp.Cfg.Data));
    match.PrmSeen = dp.Prm.Seen;
    if (match.PrmSeen)
        match.Params =
            NameGsdUserParameters(*match.Device, fdl::RestFrom(BytesOf(dp.Prm.Data), kPrmStandardBytes), match.Slots);
    if (baudIndex <= UINT16_MAX) match.MaxTsdrBits = GsdMaxTsdr(*match.Device, static_cast<std::uint16_t>(baudIndex));
    if (match.MaxTsdrBits) match.SlowAnswers = SlowAnswerCount(station.Slave.Response, *match.MaxTsdrBits, baud);
    return match;
}

}  // namespace

std::optional<std::uint16_t> SlaveIdent(const DpSlaveStats& slave) {
    if (slave.HasIdent) return slave.Ident;
    if (!slave.Prm.Seen) return std::nullopt;
    const dp::SetPrm prm = dp::DecodeSetPrm(BytesOf(slave.Prm.Data));
    if (prm.Cut) return std::nullopt;
    return prm.IdentNumber;
}

GsdMatches MatchGsdDevices(const GsdLibrary& library, bool given, const BusStats& stats) {
    GsdMatches matches;
    matches.Given = given;
    matches.DevicesRead = library.Devices.size();
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& station = stats.Stations[a];
        if (station.Listed && station.Dp.Active)
            matches.Slaves[a] = MatchSlave(library, station, stats.BaudIndex, stats.Baud);
    }
    return matches;
}

const GsdModule* GsdSlotModule(const GsdSlaveMatch& match, std::size_t slot) {
    if (slot >= match.Slots.size() || !match.Slots[slot].Module) return nullptr;
    return &match.Device->Modules[*match.Slots[slot].Module];
}

std::vector<GsdDiagText> GsdBlockTexts(const GsdSlaveMatch& match, const dp::DiagBlock& block) {
    assert(match.Device != nullptr && block.Offset >= dp::kDiagHeaderSize);
    // A DP-V1 status or alarm block has a layout of its own.
    if (block.Kind != dp::DiagBlockKind::Device) return {};
    // The block's bytes at their place in the extended diagnosis, zeros before.
    const std::size_t before = block.Offset - dp::kDiagHeaderSize;
    std::vector<std::uint8_t> extended(before, 0);
    extended.insert(extended.end(), block.Block.begin(), block.Block.end());
    std::vector<GsdDiagText> texts = GsdUnitDiagTexts(*match.Device, extended);
    std::erase_if(texts, [before](const GsdDiagText& text) { return text.FirstBit < 8 * before; });
    return texts;
}

std::uint64_t SlowAnswerCount(const DurationStats& response, std::uint16_t limitBits, std::uint32_t baud) {
    const auto slow = [&](std::int64_t ns) { return NsToBits(static_cast<double>(ns), baud) > limitBits; };
    if (response.Count == 0 || !slow(response.Max)) return 0;
    std::uint64_t count = 0;
    for (std::size_t i = 0; i < kDurationBucketCount; ++i) {
        if (response.Buckets[i] == 0) continue;
        // The value a bucket stands for, as the percentiles read it.
        std::int64_t value = response.Max;
        if (i == 0) {
            value = response.Min;
        } else if (i + 1 < kDurationBucketCount) {
            const std::int64_t low = DurationBucketLow(i);
            value = std::clamp(low + (DurationBucketHigh(i) - low) / 2, response.Min, response.Max);
        }
        if (slow(value)) count += response.Buckets[i];
    }
    return count == 0 ? 1 : count;
}

}  // namespace zelmot
