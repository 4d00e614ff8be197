// The device files' keys of the report document, each spelled here only: a
// station's "gsd" object beside its "dp" one (the file and why it was
// chosen, what its reader passed over, the modules with their candidates
// and the basis of their identification, every parameter with its
// default), and the notes a device adds to the blocks of a diagnosis. A
// name the device file does not give, or does not give for certain, is
// null.
#include "report/gsd_json.h"

#include "common/utf8_text.h"
#include "fdl/fdl_bytes.h"
#include "gsd/gsd_words.h"
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
    const std::span<const GsdSlotId> slots = GsdSlots(match);
    Json modules = Json::array();
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const GsdSlotId& slot = slots[s];
        Json candidates = Json::array();
        for (std::size_t m : slot.Modules) candidates.push_back(match.Device->Modules[m].Name);
        modules.push_back(Json{{"name", ModuleNameJson(match, s)},
                               {"slot", s},
                               {"hex", HexText(fdl::Clip(BytesOf(cfg), slot.CfgOffset, slot.CfgCount))},
                               {"candidates", candidates}});
    }
    return modules;
}

Json BasisJson(const GsdSlaveMatch& match) {
    if (!match.CfgSeen) return nullptr;
    switch (match.Choice.Identification.Basis) {
        case GsdIdBasis::Parameters: return "parameters";
        case GsdIdBasis::ConfigurationOnly: return "configuration_only";
        case GsdIdBasis::ParametersUnfit: return "parameters_unfit";
    }
    return nullptr;
}

Json SkippedJson(const GsdDevice& device) {
    Json keywords = Json::array();
    for (const GsdSkipped& skipped : device.Skipped)
        keywords.push_back(Json{{"keyword", skipped.Keyword}, {"lines", skipped.Lines}});
    return keywords;
}

Json PrmJson(const GsdSlaveMatch& match) {
    if (!match.PrmSeen) return nullptr;
    Json prm = Json::array();
    for (const GsdParamValue& value : match.Params)
        prm.push_back(Json{{"name", value.Known ? Json(value.Name) : Json(nullptr)},
                           {"value", value.Present ? Json(value.Value) : Json(nullptr)},
                           {"text", value.Text ? Json(*value.Text) : Json(nullptr)},
                           {"slot", value.Slot ? Json(*value.Slot) : Json(nullptr)},
                           {"default", value.Known ? Json(value.Default) : Json(nullptr)}});
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

// The unit diagnosis texts that apply to a device-related block (GsdBlockTexts).
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
            case dp::DiagBlockKind::Device:
            case dp::DiagBlockKind::Status:
            case dp::DiagBlockKind::Alarm: NoteDeviceBlock(match, block, json); break;
            case dp::DiagBlockKind::Undecoded:
            case dp::DiagBlockKind::None: break;
        }
    };
}

ReportDocument GsdStationJson(const GsdSlaveMatch& match, const StationStats& station) {
    if (match.Device == nullptr) return nullptr;
    const GsdDevice& device = *match.Device;
    Json j;
    j["file"] = utf8::MakeValid(device.SourceName);  // a path is any bytes
    j["vendor"] = TextOrNull(device.VendorName);
    j["model"] = TextOrNull(device.ModelName);
    j["files"] = match.Choice.Candidates;
    j["choice"] = TextOrNull(GsdChoiceWords(match.Choice));
    j["skipped_lines"] = device.SkippedLines;
    j["skipped_keywords"] = SkippedJson(device);
    j["basis"] = BasisJson(match);
    j["basis_text"] = TextOrNull(GsdBasisOf(match));
    j["modules"] = ModulesJson(match, station.Dp.Cfg.Data);
    j["prm"] = PrmJson(match);
    j["max_tsdr_bits"] = match.MaxTsdrBits ? Json(*match.MaxTsdrBits) : Json(nullptr);
    j["slow_answers"] = match.MaxTsdrBits ? Json(match.SlowAnswers) : Json(nullptr);
    return j;
}

}  // namespace zelmot
