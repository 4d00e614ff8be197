// Placing the module parameter blocks, reading each referenced value out of
// the user bytes (never past them) and looking up its text; the look-ups by
// number and the summary against the defaults.
#include "gsd/gsd_user_params.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace zelmot {
namespace {

struct TypeLayout {
    std::uint32_t Bytes;
    bool Signed;
};

// Indexed by GsdPrmType.
constexpr std::array<TypeLayout, 8> kTypeLayouts = {{
    {1, false}, {1, false}, {1, false}, {2, false}, {4, false}, {1, true}, {2, true}, {4, true},
}};

// The first entry with the number in a list sorted by number, or null.
template <typename T>
const T* FindNumbered(const std::vector<T>& list, std::uint32_t number) {
    const auto at = std::lower_bound(list.begin(), list.end(), number,
                                     [](const T& entry, std::uint32_t n) { return entry.Number < n; });
    return at != list.end() && at->Number == number ? &*at : nullptr;
}

std::optional<std::string> FindText(const GsdDevice& device, const GsdPrmDefinition& definition, std::int64_t value) {
    if (!definition.TextRef) return std::nullopt;
    const GsdTextList* list = FindGsdTextList(device, *definition.TextRef);
    if (list == nullptr) return std::nullopt;
    for (const GsdValueText& entry : list->Texts)
        if (entry.Value == value) return entry.Text;
    return std::nullopt;
}

// The first byte after everything the device's own entries describe.
std::size_t DeviceExtent(const GsdDevice& device) {
    std::size_t end = device.UserPrmDataLen.value_or(0);
    for (const GsdPrmConst& entry : device.Consts) end = std::max<std::size_t>(end, entry.Offset + entry.Bytes.size());
    for (const GsdPrmRef& ref : device.Refs)
        end = std::max<std::size_t>(end, ref.Offset + GsdParamBytes(device, ref.Definition));
    return end;
}

std::size_t ModuleBytes(const GsdDevice& device, std::span<const GsdSlot> slots) {
    std::size_t total = 0;
    for (const GsdSlot& slot : slots)
        if (slot.Module) total += device.Modules[*slot.Module].PrmDataLen.value_or(0);
    return total;
}

GsdParamValue ReadValue(const GsdDevice& device, std::span<const std::uint8_t> bytes, std::size_t offset,
                        std::uint32_t number) {
    GsdParamValue result;
    result.Offset = static_cast<std::uint32_t>(offset);
    result.Definition = number;
    const GsdPrmDefinition* definition = FindGsdDefinition(device, number);
    if (definition == nullptr) return result;
    result.Known = true;
    result.Name = definition->Name;
    result.Default = definition->Default;
    const TypeLayout layout = kTypeLayouts[static_cast<std::size_t>(definition->Type)];
    if (offset > bytes.size() || bytes.size() - offset < layout.Bytes) return result;
    result.Present = true;
    std::uint64_t raw = 0;
    for (std::uint32_t i = 0; i < layout.Bytes; ++i) raw = raw << 8 | bytes[offset + i];
    if (definition->Type == GsdPrmType::Bit || definition->Type == GsdPrmType::BitArea) {
        const unsigned width = definition->LastBit - definition->FirstBit + 1u;
        result.Value = static_cast<std::int64_t>((raw >> definition->FirstBit) & ((1u << width) - 1u));
    } else if (layout.Signed) {
        const std::uint64_t sign = std::uint64_t{1} << (8 * layout.Bytes - 1);
        result.Value = static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
    } else {
        result.Value = static_cast<std::int64_t>(raw);
    }
    result.Text = FindText(device, *definition, result.Value);
    return result;
}

std::vector<GsdParamValue> DeviceParameters(const GsdDevice& device, std::span<const std::uint8_t> userBytes) {
    std::vector<GsdParamValue> values;
    for (const GsdPrmRef& ref : device.Refs) values.push_back(ReadValue(device, userBytes, ref.Offset, ref.Definition));
    return values;
}

}  // namespace

const GsdPrmDefinition* FindGsdDefinition(const GsdDevice& device, std::uint32_t number) {
    return FindNumbered(device.Definitions, number);
}

const GsdTextList* FindGsdTextList(const GsdDevice& device, std::uint32_t number) {
    return FindNumbered(device.TextLists, number);
}

std::uint32_t GsdParamBytes(const GsdDevice& device, std::uint32_t definition) {
    const GsdPrmDefinition* found = FindGsdDefinition(device, definition);
    return found == nullptr ? 1 : kTypeLayouts[static_cast<std::size_t>(found->Type)].Bytes;
}

std::vector<GsdParamValue> NameGsdUserParameters(const GsdDevice& device, std::span<const std::uint8_t> userBytes,
                                                 std::span<const GsdSlot> slots) {
    std::vector<GsdParamValue> values = DeviceParameters(device, userBytes);
    const std::size_t moduleBytes = ModuleBytes(device, slots);
    std::size_t start = userBytes.size() >= moduleBytes ? userBytes.size() - moduleBytes : DeviceExtent(device);
    for (std::size_t s = 0; s < slots.size(); ++s) {
        if (!slots[s].Module) continue;
        assert(*slots[s].Module < device.Modules.size());
        const GsdModule& module = device.Modules[*slots[s].Module];
        for (const GsdPrmRef& ref : module.Refs) {
            values.push_back(ReadValue(device, userBytes, start + ref.Offset, ref.Definition));
            values.back().Slot = s;
        }
        start += module.PrmDataLen.value_or(0);
    }
    return values;
}

std::vector<GsdParamValue> NameIdentifiedParameters(const GsdDevice& device, std::span<const std::uint8_t> userBytes,
                                                    const GsdIdentification& identification) {
    std::vector<GsdParamValue> values = DeviceParameters(device, userBytes);
    for (std::size_t s = 0; s < identification.Slots.size(); ++s) {
        const GsdSlotId& slot = identification.Slots[s];
        if (slot.Modules.size() != 1 || !slot.PrmOffset) continue;
        assert(slot.Modules.front() < device.Modules.size());
        for (const GsdPrmRef& ref : device.Modules[slot.Modules.front()].Refs) {
            values.push_back(ReadValue(device, userBytes, *slot.PrmOffset + ref.Offset, ref.Definition));
            values.back().Slot = s;
        }
    }
    return values;
}

GsdParamSummary SummariseGsdParams(std::span<const GsdParamValue> values) {
    GsdParamSummary summary;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i].Known || !values[i].Present)
            summary.Unread.push_back(i);
        else if (values[i].Value != values[i].Default)
            summary.Set.push_back(i);
        else
            ++summary.AtDefault;
    }
    return summary;
}

}  // namespace zelmot
