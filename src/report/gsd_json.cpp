// The device files' keys of the report document, each spelled here only: a
// station's "gsd" object beside its "dp" one, and the notes a device adds
// to the blocks of a diagnosis. A name the device file does not give is
// null.
#include "report/gsd_json.h"

#include "fdl/fdl_bytes.h"
#include "report/gsd_words.h"

namespace zelmot {
namespace {

using Json = ReportDocument;

Json TextOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json ModuleNameJson(const GsdSlaveMatch& match, std::size_t slot) {
    const GsdModule* module = GsdSlotModule(match, slot);
    return module != nullptr ? Json(module->Name) : Json(nullptr);
}

Json ModulesJson(const GsdSlaveMatch& match, const DpBytes& cfg) {
    if (!match.CfgSeen) return nullptr;
    Json modules = Json::array();
    for (std::size_t s = 0; s < match.Slots.size(); ++s) {
        const GsdSlot& slot = match.Slots[s];
        modules.push_back(Json{{"name", ModuleNameJson(match, s)},
                               {"slot", s},
                               {"hex", HexText(fdl::Clip(BytesOf(cfg), slot.Offset, slot.Count))}});
    }
    return modules;
}

Json PrmJson(const GsdSlaveMatch& match) {
    if (!match.PrmSeen) return nullptr;
    Json prm = Json::array();
    for (const GsdParamValue& value : match.Params)
        prm.push_back(Json{{"name", value.Known ? Json(value.Name) : Json(nullptr)},
                           {"value", value.Present ? Json(value.Value) : Json(nullptr)},
                           {"text", value.Text ? Json(*value.Text) : Json(nullptr)},
                           {"slot", value.Slot ? Json(*value.Slot) : Json(nullptr)}});
    return prm;
}

void NoteIdentifierBlock(const GsdSlaveMatch& match, const dp::DiagBlock& block, Json& json) {
    Json names = Json::array();
    for (std::size_t m = dp::NextFlaggedModule(block.Content, 0); m != dp::kNoModule;
         m = dp::NextFlaggedModule(block.Content, m + 1))
        names.push_back(ModuleNameJson(match, m));
    json["gsd_modules"] = names;
}

void NoteChannelBlock(const GsdSlaveMatch& match, const dp::DiagBlock& block, Json& json) {
    json["gsd_module"] = ModuleNameJson(match, block.Module);
    json["gsd_error_text"] = TextOrNull(std::string(GsdChannelDiagText(*match.Device, block.Error)));
}

// The unit diagnosis texts whose bits begin inside the block.
void NoteDeviceBlock(const GsdSlaveMatch& match, const dp::DiagBlock& block, Json& json) {
    Json texts = Json::array();
    for (const GsdDiagText& text : GsdBlockTexts(match, block)) {
        texts.push_back(Json{{"first_bit", text.FirstBit}, {"last_bit", text.LastBit}, {"value", text.Value},
                             {"text", TextOrNull(text.Text)}});
    }
    json["gsd_texts"] = texts;
}

}  // namespace

DiagBlockNotes GsdBlockNotes(const GsdSlaveMatch& match) {
    if (match.Device == nullptr) return {};
    return [&match](const dp::DiagBlock& block, Json& json) {
        switch (block.Kind) {
            case dp::DiagBlockKind::Identifier: NoteIdentifierBlock(match, block, json); break;
            case dp::DiagBlockKind::Channel: NoteChannelBlock(match, block, json); break;
            case dp::DiagBlockKind::Device: NoteDeviceBlock(match, block, json); break;
            case dp::DiagBlockKind::Status:
            case dp::DiagBlockKind::Alarm:
            case dp::DiagBlockKind::Undecoded:
            case dp::DiagBlockKind::None: break;
        }
    };
}

ReportDocument GsdStationJson(const GsdSlaveMatch& match, const StationStats& station) {
    if (match.Device == nullptr) return nullptr;
    const GsdDevice& device = *match.Device;
    Json j;
    j["file"] = device.SourceName;
    j["vendor"] = TextOrNull(device.VendorName);
    j["model"] = TextOrNull(device.ModelName);
    j["modules"] = ModulesJson(match, station.Dp.Cfg.Data);
    j["prm"] = PrmJson(match);
    j["max_tsdr_bits"] = match.MaxTsdrBits ? Json(*match.MaxTsdrBits) : Json(nullptr);
    j["slow_answers"] = match.MaxTsdrBits ? Json(match.SlowAnswers) : Json(nullptr);
    return j;
}

}  // namespace zelmot
