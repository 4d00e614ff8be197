// The identification as a search over byte positions. A position is a
// Chk_Cfg offset and a user data offset (one user offset when the
// parameter bytes take no part); a step from it is a module whose
// identifier bytes stand at the Chk_Cfg offset and whose fixed parameter
// bits fit at the user offset (or a lone 0x00 as an empty slot). One pass
// backward gives the fewest slots from each position to the end, one pass
// forward which positions the start reaches (and with how many slots at
// most, to tell how far the parameter bytes fit). The slot boundaries are
// those of one split with the fewest slots, the one taking the modules
// listed first; two more passes over (slot, user offset) then keep the
// steps that lie on a split with those boundaries, which are each slot's
// candidates. Memory: a few numbers per position.
#include "gsd/gsd_identify.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "gsd/gsd_config_match.h"
#include "gsd/gsd_prm_image.h"

namespace zelmot {
namespace {

constexpr std::size_t kUnreached = SIZE_MAX;
constexpr std::size_t kEmptySlot = SIZE_MAX;  // the module of an empty slot's step

struct Step {
    std::size_t Module = kEmptySlot;
    std::size_t CfgLength = 1;
    std::size_t PrmLength = 0;
};

struct Search {
    const GsdDevice& Device;
    std::span<const std::uint8_t> Cfg;
    std::optional<std::span<const std::uint8_t>> User;  // none: the identifier bytes alone
    std::size_t DevicePart = 0;
    std::size_t Width = 1;                       // user offsets DevicePart .. DevicePart + Width - 1
    std::vector<std::vector<Step>> Steps;        // by Chk_Cfg offset
    std::vector<GsdPrmImage> Images;             // by module, built when first asked
    std::vector<bool> Built;
    std::vector<std::int8_t> Fit;                // by module and user offset: -1 not yet known

    std::size_t Index(std::size_t c, std::size_t w) const { return c * Width + w; }
};

// The steps from each Chk_Cfg offset.
void ListSteps(Search& s) {
    s.Steps.assign(s.Cfg.size(), {});
    for (std::size_t c = 0; c < s.Cfg.size(); ++c) {
        for (std::size_t m = 0; m < s.Device.Modules.size(); ++m) {
            const GsdModule& module = s.Device.Modules[m];
            if (!GsdIdentifiersAt(s.Cfg, c, module.Identifiers)) continue;
            s.Steps[c].push_back(Step{m, module.Identifiers.size(), s.User ? GsdModulePrmLength(s.Device, module) : 0});
        }
        if (s.Steps[c].empty() && s.Cfg[c] == 0x00) s.Steps[c].push_back(Step{});
    }
}

// Whether a step may leave user offset w (its parameter bytes inside the
// user data and holding its module's fixed bits).
bool Fits(Search& s, const Step& step, std::size_t w) {
    if (w + step.PrmLength >= s.Width) return false;
    if (!s.User || step.Module == kEmptySlot) return true;
    std::int8_t& known = s.Fit[step.Module * s.Width + w];
    if (known < 0) {
        if (!s.Built[step.Module]) {
            const GsdModule& module = s.Device.Modules[step.Module];
            s.Images[step.Module] = BuildGsdPrmImage(s.Device, module.Consts, module.Refs, step.PrmLength);
            s.Built[step.Module] = true;
        }
        known = FitsGsdPrmImage(s.Images[step.Module], s.User->subspan(s.DevicePart + w, step.PrmLength)) ? 1 : 0;
    }
    return known == 1;
}

struct Passes {
    std::vector<std::size_t> Least;  // fewest slots from the start to a position
    std::vector<std::size_t> Most;   // most slots from the start to a position
    std::vector<std::size_t> Rest;   // fewest slots from a position to the end
};

Passes Run(Search& s) {
    const std::size_t count = s.Cfg.size();
    Passes p;
    p.Least.assign((count + 1) * s.Width, kUnreached);
    p.Most.assign(p.Least.size(), 0);
    p.Rest.assign(p.Least.size(), kUnreached);
    p.Least[0] = 0;
    for (std::size_t c = 0; c < count; ++c)
        for (std::size_t w = 0; w < s.Width; ++w) {
            const std::size_t i = s.Index(c, w);
            if (p.Least[i] == kUnreached) continue;
            for (const Step& step : s.Steps[c]) {
                if (!Fits(s, step, w)) continue;
                const std::size_t j = s.Index(c + step.CfgLength, w + step.PrmLength);
                p.Least[j] = std::min(p.Least[j], p.Least[i] + 1);
                p.Most[j] = std::max(p.Most[j], p.Most[i] + 1);
            }
        }
    p.Rest[s.Index(count, s.Width - 1)] = 0;
    for (std::size_t c = count; c-- > 0;)
        for (std::size_t w = 0; w < s.Width; ++w)
            for (const Step& step : s.Steps[c]) {
                if (!Fits(s, step, w)) continue;
                const std::size_t after = p.Rest[s.Index(c + step.CfgLength, w + step.PrmLength)];
                if (after != kUnreached) p.Rest[s.Index(c, w)] = std::min(p.Rest[s.Index(c, w)], after + 1);
            }
    return p;
}

// The slot boundaries of one split with the fewest slots: from the start,
// at each position the first step (modules in file order, an empty slot
// last) that keeps to such a split.
std::vector<std::size_t> Boundaries(Search& s, const Passes& p) {
    std::vector<std::size_t> bounds = {0};
    for (std::size_t c = 0, w = 0; c < s.Cfg.size();) {
        const std::size_t rest = p.Rest[s.Index(c, w)];
        const Step* taken = nullptr;
        for (const Step& step : s.Steps[c]) {
            if (!Fits(s, step, w)) continue;
            const std::size_t after = p.Rest[s.Index(c + step.CfgLength, w + step.PrmLength)];
            if (after != kUnreached && after + 1 == rest) {
                taken = &step;
                break;
            }
        }
        assert(taken != nullptr);  // a position on such a split has a step on to the end
        if (taken == nullptr) break;
        c += taken->CfgLength;
        w += taken->PrmLength;
        bounds.push_back(c);
    }
    return bounds;
}

// The slots of the splits with the fewest slots that have these
// boundaries: by slot and user offset, which positions the start reaches
// and which reach the end, and the steps between two such.
std::vector<GsdSlotId> SlotsBetween(Search& s, const std::vector<std::size_t>& bounds) {
    const std::size_t slots = bounds.size() - 1;
    const auto at = [&s](std::size_t k, std::size_t w) { return k * s.Width + w; };
    std::vector<std::vector<Step>> steps(slots);  // by slot, those of its length
    for (std::size_t k = 0; k < slots; ++k)
        for (const Step& step : s.Steps[bounds[k]])
            if (step.CfgLength == bounds[k + 1] - bounds[k]) steps[k].push_back(step);
    std::vector<bool> reached((slots + 1) * s.Width, false), ends(reached.size(), false);
    reached[at(0, 0)] = true;
    for (std::size_t k = 0; k < slots; ++k)
        for (std::size_t w = 0; w < s.Width; ++w)
            if (reached[at(k, w)])
                for (const Step& step : steps[k])
                    if (Fits(s, step, w)) reached[at(k + 1, w + step.PrmLength)] = true;
    ends[at(slots, s.Width - 1)] = true;
    std::vector<GsdSlotId> result(slots);
    for (std::size_t k = slots; k-- > 0;) {
        GsdSlotId& slot = result[k];
        slot.CfgOffset = bounds[k];
        slot.CfgCount = bounds[k + 1] - bounds[k];
        bool oneOffset = true;
        for (std::size_t w = 0; w < s.Width; ++w)
            for (const Step& step : steps[k]) {
                if (!Fits(s, step, w) || !ends[at(k + 1, w + step.PrmLength)]) continue;
                ends[at(k, w)] = true;
                if (!reached[at(k, w)]) continue;
                if (step.Module != kEmptySlot) slot.Modules.push_back(step.Module);
                oneOffset = oneOffset && (!slot.PrmOffset || *slot.PrmOffset == s.DevicePart + w);
                slot.PrmOffset = s.DevicePart + w;
                slot.PrmCount = step.PrmLength;
            }
        std::sort(slot.Modules.begin(), slot.Modules.end());
        slot.Modules.erase(std::unique(slot.Modules.begin(), slot.Modules.end()), slot.Modules.end());
        slot.EmptySlot = slot.Modules.empty();
        if (!s.User || slot.Modules.size() != 1 || !oneOffset) {
            slot.PrmOffset.reset();
            slot.PrmCount = 0;
        }
    }
    return result;
}

// Why no split fits the user data, from the forward pass.
void DiagnoseUnfit(const Search& s, const Passes& p, GsdIdentification& result) {
    const std::size_t end = s.Cfg.size();
    for (std::size_t w = s.Width; w-- > 0;) {
        if (p.Least[s.Index(end, w)] == kUnreached) continue;
        result.PrmFault = GsdPrmFault::BytesLeft;
        result.LeftBytes = s.Width - 1 - w;
        return;
    }
    result.PrmFault = GsdPrmFault::NoModuleFits;
    for (std::size_t i = 0; i < p.Least.size(); ++i)
        if (p.Least[i] != kUnreached) result.FitSlots = std::max(result.FitSlots, p.Most[i]);
}

// Searches and fills result's slots; false when no split uses up the bytes.
bool Identify(Search& s, GsdIdentification& result) {
    ListSteps(s);
    if (s.User) s.Fit.assign(s.Device.Modules.size() * s.Width, -1);
    s.Images.resize(s.Device.Modules.size());
    s.Built.assign(s.Device.Modules.size(), false);
    const Passes passes = Run(s);
    if (passes.Rest[0] == kUnreached) {
        if (s.User) DiagnoseUnfit(s, passes, result);
        return false;
    }
    result.Slots = SlotsBetween(s, Boundaries(s, passes));
    return true;
}

// The split that leaves the fewest bytes unmatched, each slot's candidates
// the modules with the same identifier bytes as the one found.
std::vector<GsdSlotId> LooseSlots(const GsdDevice& device, std::span<const std::uint8_t> cfg, bool& allMatched) {
    std::vector<GsdSlotId> slots;
    allMatched = true;
    for (const GsdSlot& found : MatchGsdModules(device, cfg)) {
        GsdSlotId slot;
        slot.CfgOffset = found.Offset;
        slot.CfgCount = found.Count;
        slot.EmptySlot = found.EmptySlot;
        if (found.Module) {
            const std::vector<std::uint8_t>& identifiers = device.Modules[*found.Module].Identifiers;
            for (std::size_t m = 0; m < device.Modules.size(); ++m)
                if (device.Modules[m].Identifiers == identifiers) slot.Modules.push_back(m);
        } else if (!found.EmptySlot) {
            allMatched = false;
        }
        slots.push_back(std::move(slot));
    }
    return slots;
}

}  // namespace

GsdIdentification IdentifyGsdModules(const GsdDevice& device, std::span<const std::uint8_t> cfg,
                                     std::optional<std::span<const std::uint8_t>> userBytes) {
    GsdIdentification result;
    if (userBytes) {
        result.Basis = GsdIdBasis::ParametersUnfit;
        result.DevicePrmBytes = GsdDevicePrmLength(device);
        if (cfg.size() > kGsdMaxSearchBytes || userBytes->size() > kGsdMaxSearchBytes) {
            result.PrmFault = GsdPrmFault::TooLong;
        } else if (userBytes->size() < result.DevicePrmBytes) {
            result.PrmFault = GsdPrmFault::DevicePartShort;
        } else {
            Search search{device, cfg, userBytes, result.DevicePrmBytes, userBytes->size() - result.DevicePrmBytes + 1,
                          {}, {}, {}, {}};
            if (Identify(search, result)) {
                result.Basis = GsdIdBasis::Parameters;
                return result;
            }
        }
    }
    Search search{device, cfg, std::nullopt, 0, 1, {}, {}, {}, {}};
    if (!Identify(search, result)) result.Slots = LooseSlots(device, cfg, result.IdentifiersSplit);
    return result;
}

GsdChoice ChooseGsdDevice(std::span<const GsdDevice* const> devices, std::span<const std::uint8_t> cfg,
                          std::optional<std::span<const std::uint8_t>> userBytes) {
    GsdChoice choice;
    choice.Candidates = devices.size();
    int bestRank = 3;
    for (std::size_t i = 0; i < devices.size() && bestRank > 0; ++i) {
        assert(devices[i] != nullptr);
        GsdIdentification identification = IdentifyGsdModules(*devices[i], cfg, userBytes);
        const int rank = identification.Basis == GsdIdBasis::Parameters ? 0 : identification.IdentifiersSplit ? 1 : 2;
        if (rank >= bestRank) continue;
        bestRank = rank;
        choice.Device = devices[i];
        choice.ByFit = i > 0;
        choice.Identification = std::move(identification);
    }
    return choice;
}

std::optional<std::size_t> GsdSlotAt(const GsdIdentification& identification, std::size_t cfgOffset) {
    for (std::size_t s = 0; s < identification.Slots.size(); ++s) {
        const GsdSlotId& slot = identification.Slots[s];
        if (cfgOffset >= slot.CfgOffset && cfgOffset - slot.CfgOffset < slot.CfgCount) return s;
    }
    return std::nullopt;
}

}  // namespace zelmot
