// Matching the DP slaves of a finished run to their device files: the
// ident, the file whose modules fit the last Chk_Cfg and Set_Prm, the
// modules identified in the slots, the named user parameters of the last
// Set_Prm (from its byte 7 on) and the response times against MaxTsdr,
// which are read from the response-time buckets.
#include "analysis/gsd_match.h"

#include <algorithm>
#include <cassert>

#include "dp/dp_codes.h"
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
    const std::vector<const GsdDevice*> devices = FindGsdDevices(library, *ident);
    if (devices.empty()) return match;
    const DpSlaveStats& dp = station.Dp;
    match.CfgSeen = dp.Cfg.Seen;
    match.PrmSeen = dp.Prm.Seen;
    const fdl::Bytes cfg = match.CfgSeen ? BytesOf(dp.Cfg.Data) : fdl::Bytes();
    std::optional<fdl::Bytes> userBytes;
    if (match.PrmSeen) userBytes = fdl::RestFrom(BytesOf(dp.Prm.Data), kPrmStandardBytes);
    match.Choice = ChooseGsdDevice(devices, cfg, userBytes);
    match.Device = match.Choice.Device;
    if (userBytes) match.Params = NameIdentifiedParameters(*match.Device, *userBytes, match.Choice.Identification);
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
    matches.RevisionsRead = library.Revisions.size();
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& station = stats.Stations[a];
        if (station.Listed && station.Dp.Active)
            matches.Slaves[a] = MatchSlave(library, station, stats.BaudIndex, stats.Baud);
    }
    return matches;
}

std::span<const GsdSlotId> GsdSlots(const GsdSlaveMatch& match) {
    if (match.Device == nullptr || !match.CfgSeen) return {};
    return match.Choice.Identification.Slots;
}

const GsdModule* GsdSlotModule(const GsdSlaveMatch& match, std::size_t slot) {
    const std::span<const GsdSlotId> slots = GsdSlots(match);
    if (slot >= slots.size() || slots[slot].Modules.size() != 1) return nullptr;
    return &match.Device->Modules[slots[slot].Modules.front()];
}

std::vector<GsdDiagText> GsdBlockTexts(const GsdSlaveMatch& match, const dp::DiagBlock& block) {
    assert(match.Device != nullptr);
    // The bits of a status or alarm block's type, slot and specifier bytes.
    constexpr std::uint32_t kDpv1HeaderBits = 24;
    switch (block.Kind) {
        case dp::DiagBlockKind::Device: return GsdDeviceBlockTexts(*match.Device, block.Block);
        case dp::DiagBlockKind::Status:
        case dp::DiagBlockKind::Alarm: break;
        default: return {};
    }
    const bool moduleStatus = block.Kind == dp::DiagBlockKind::Status && block.Type == dp::kStatusTypeModuleStatus;
    std::vector<GsdDiagText> texts = GsdDeviceBlockTexts(*match.Device, block.Block);
    std::erase_if(texts, [moduleStatus](const GsdDiagText& text) {
        return text.FirstBit < kDpv1HeaderBits || (moduleStatus && text.Value == 0);
    });
    return texts;
}

std::uint64_t SlowAnswerCount(const DurationStats& response, std::uint16_t limitBits, std::uint32_t baud) {
    const auto slow = [&](std::int64_t ns) { return NsToBits(static_cast<double>(ns), baud) > limitBits; };
    if (response.Count == 0 || !slow(response.Max)) return 0;
    std::uint64_t count = 0;
    for (std::size_t i = 0; i < kDurationBucketCount; ++i) {
        const std::uint32_t samples = DurationBucketSamples(response, i);
        if (samples == 0) continue;
        // The value a bucket stands for, as the percentiles read it.
        std::int64_t value = response.Max;
        if (i == 0) {
            value = response.Min;
        } else if (i + 1 < kDurationBucketCount) {
            const std::int64_t low = DurationBucketLow(i);
            value = std::clamp(low + (DurationBucketHigh(i) - low) / 2, response.Min, response.Max);
        }
        if (slow(value)) count += samples;
    }
    return count == 0 ? 1 : count;
}

}  // namespace zelmot
