// Looking up diagnosis texts; bits are read only inside the bytes given.
#include "gsd/gsd_diag_texts.h"

namespace zelmot {
namespace {

bool BitAt(std::span<const std::uint8_t> bytes, std::uint32_t bit) {
    return ((bytes[bit / 8] >> (bit % 8)) & 1u) != 0;
}

bool Within(std::span<const std::uint8_t> bytes, std::uint32_t bit) { return bit / 8 < bytes.size(); }

const GsdValueText* FindValue(const GsdDiagArea& area, std::int64_t value) {
    for (const GsdValueText& entry : area.Values)
        if (entry.Value == value) return &entry;
    return nullptr;
}

}  // namespace

std::vector<GsdDiagText> GsdUnitDiagTexts(const GsdDevice& device, std::span<const std::uint8_t> extended) {
    std::vector<GsdDiagText> texts;
    for (const GsdDiagBit& bit : device.DiagBits) {
        if (!Within(extended, bit.Bit)) continue;
        const bool set = BitAt(extended, bit.Bit);
        if (set != bit.WhenClear) texts.push_back(GsdDiagText{bit.Bit, bit.Bit, false, set ? 1 : 0, bit.Text});
    }
    for (const GsdDiagArea& area : device.DiagAreas) {
        if (!Within(extended, area.LastBit)) continue;
        std::int64_t value = 0;
        for (std::uint32_t bit = area.LastBit + 1; bit-- > area.FirstBit;) value = value << 1 | (BitAt(extended, bit) ? 1 : 0);
        const GsdValueText* named = FindValue(area, value);
        if (named == nullptr && value == 0) continue;
        texts.push_back(GsdDiagText{area.FirstBit, area.LastBit, true, value, named != nullptr ? named->Text : ""});
    }
    return texts;
}

std::vector<GsdDiagText> GsdDeviceBlockTexts(const GsdDevice& device, std::span<const std::uint8_t> block) {
    return block.empty() ? std::vector<GsdDiagText>{} : GsdUnitDiagTexts(device, block.subspan(1));
}

std::string_view GsdChannelDiagText(const GsdDevice& device, std::uint8_t errorType) {
    for (const GsdChannelDiag& entry : device.ChannelDiags)
        if (entry.ErrorType == errorType) return entry.Text;
    return {};
}

}  // namespace zelmot
