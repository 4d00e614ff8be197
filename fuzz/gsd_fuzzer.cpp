// Fuzz target: the device file reader on an arbitrary text, then the
// helpers over what it read. Checked: a refusal says exactly why; the
// warnings are bounded and name the file and a line; every list keeps to
// its limit and every bit range lies inside its byte; reading twice gives
// the same device; the module split covers the identifier bytes in order
// and names only modules whose bytes stand there; parameter values and
// diagnosis texts come only from bytes that exist (the helpers read buffers
// of exactly their size).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gsd/gsd_baud.h"
#include "gsd/gsd_config_match.h"
#include "gsd/gsd_diag_texts.h"
#include "gsd/gsd_reader.h"
#include "gsd/gsd_user_params.h"

namespace zelmot::fuzz {
namespace {

constexpr std::size_t kMaxIdentifiers = 244;
constexpr std::size_t kMaxUserBytes = 40;
constexpr std::size_t kMaxDiagBytes = 64;

[[noreturn]] void Breach(const char* what) {
    std::fprintf(stderr, "zelmot fuzz: %s\n", what);
    std::abort();
}

void Require(bool holds, const char* what) {
    if (!holds) Breach(what);
}

void CheckLists(const GsdDevice& d) {
    Require(d.Warnings.Texts.size() <= kGsdMaxWarnings, "more warnings kept than the limit");
    for (const std::string& w : d.Warnings.Texts)
        Require(w.starts_with("f.gsd:") && w.size() < 400, "warning without the file name or too long");
    Require(d.Modules.size() <= kGsdMaxModules, "modules beyond the limit");
    Require(d.Definitions.size() <= kGsdMaxDefinitions, "definitions beyond the limit");
    Require(d.TextLists.size() <= kGsdMaxTextLists, "PrmText lists beyond the limit");
    Require(d.DiagBits.size() <= kGsdMaxDiagBits, "diagnosis bits beyond the limit");
    Require(d.DiagAreas.size() <= kGsdMaxDiagAreas, "diagnosis areas beyond the limit");
    Require(d.ChannelDiags.size() <= kGsdMaxChannelDiags, "channel texts beyond the limit");
    std::size_t entries = d.Consts.size() + d.Refs.size();
    std::size_t valueTexts = 0;
    for (const GsdModule& m : d.Modules) {
        Require(!m.Identifiers.empty() && m.Identifiers.size() <= kGsdMaxListLength, "module bytes empty or too many");
        Require(m.Name.size() <= kGsdMaxTextLength, "module name too long");
        entries += m.Consts.size() + m.Refs.size();
    }
    Require(entries <= kGsdMaxPrmEntries, "parameter entries beyond the limit");
    for (const GsdPrmDefinition& p : d.Definitions)
        Require(p.FirstBit <= p.LastBit && p.LastBit <= 7 && p.Min <= p.Max, "definition bits or range inverted");
    for (const GsdTextList& list : d.TextLists) valueTexts += list.Texts.size();
    for (const GsdDiagArea& area : d.DiagAreas) {
        Require(area.FirstBit <= area.LastBit && area.LastBit - area.FirstBit < 32, "diagnosis area inverted or wide");
        valueTexts += area.Values.size();
    }
    Require(valueTexts <= kGsdMaxValueTexts, "value texts beyond the limit");
}

// Identifier bytes from the input's last bytes: a module's bytes, or a raw byte.
std::vector<std::uint8_t> ChooseIdentifiers(const GsdDevice& d, std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < 8 && i < text.size(); ++i) {
        const auto pick = static_cast<std::uint8_t>(text[text.size() - 1 - i]);
        if ((pick & 0x80) != 0 || d.Modules.empty()) {
            bytes.push_back(static_cast<std::uint8_t>(pick & 0x7F));
            continue;
        }
        const std::vector<std::uint8_t>& module = d.Modules[pick % d.Modules.size()].Identifiers;
        bytes.insert(bytes.end(), module.begin(), module.end());
    }
    if (bytes.size() > kMaxIdentifiers) bytes.resize(kMaxIdentifiers);
    return bytes;
}

// A copy in a buffer of exactly its size, so that a read past it is seen.
std::unique_ptr<std::uint8_t[]> Exact(const std::uint8_t* bytes, std::size_t count) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[count]);
    if (count > 0) std::memcpy(copy.get(), bytes, count);
    return copy;
}

std::vector<GsdSlot> CheckSlots(const GsdDevice& d, const std::vector<std::uint8_t>& identifiers) {
    const std::unique_ptr<std::uint8_t[]> exact = Exact(identifiers.data(), identifiers.size());
    const std::vector<GsdSlot> slots = MatchGsdModules(d, {exact.get(), identifiers.size()});
    std::size_t at = 0;
    for (const GsdSlot& slot : slots) {
        Require(slot.Offset == at && slot.Count > 0, "slots leave a gap or are empty");
        at += slot.Count;
        Require(at <= identifiers.size(), "slot beyond the bytes");
        if (slot.Module) {
            Require(*slot.Module < d.Modules.size(), "slot names no module");
            const std::vector<std::uint8_t>& module = d.Modules[*slot.Module].Identifiers;
            Require(module.size() == slot.Count &&
                        std::equal(module.begin(), module.end(), identifiers.begin() + slot.Offset),
                    "slot's module bytes differ");
        } else if (slot.EmptySlot) {
            Require(slot.Count == 1 && identifiers[slot.Offset] == 0, "empty slot not a lone 0x00");
        }
    }
    Require(at == identifiers.size(), "slots do not cover the bytes");
    return slots;
}

void CheckHelpers(const GsdDevice& d, std::string_view text) {
    const std::vector<GsdSlot> slots = CheckSlots(d, ChooseIdentifiers(d, text));
    const auto* raw = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t userCount = std::min(text.size(), kMaxUserBytes);
    const std::unique_ptr<std::uint8_t[]> user = Exact(raw + text.size() - userCount, userCount);
    for (const GsdParamValue& v : NameGsdUserParameters(d, {user.get(), userCount}, slots)) {
        Require(!v.Present || (v.Known && v.Offset < userCount), "value from beyond the user bytes");
        Require(!v.Slot || *v.Slot < slots.size(), "value of no slot");
    }
    const std::size_t diagCount = std::min(text.size(), kMaxDiagBytes);
    const std::unique_ptr<std::uint8_t[]> diag = Exact(raw, diagCount);
    for (const GsdDiagText& t : GsdUnitDiagTexts(d, {diag.get(), diagCount}))
        Require(t.LastBit / 8 < diagCount && t.FirstBit <= t.LastBit, "diagnosis text from beyond the bytes");
    for (std::uint8_t type = 0; type < 40; ++type)
        Require(GsdChannelDiagText(d, type).size() <= kGsdMaxTextLength, "channel text too long");
    for (std::uint16_t baud = 0; baud < 12; ++baud) Require(baud < 9 || !GsdMaxTsdr(d, baud), "MaxTsdr for no baud");
}

}  // namespace
}  // namespace zelmot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelmot;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    GsdDevice device;
    const Outcome result = ReadGsdText(text, "f.gsd", device);
    if (result.IsError()) {
        fuzz::Require(result.Text == "f.gsd: not a GSD file (no #Profibus_DP line)", "refusal with another message");
        return 0;
    }
    fuzz::Require(result.IsOk(), "reading ended other than Ok or Error");
    fuzz::CheckLists(device);
    GsdDevice again;
    ReadGsdText(text, "f.gsd", again);
    fuzz::Require(again == device, "a second reading differs");
    fuzz::CheckHelpers(device, text);
    return 0;
}
