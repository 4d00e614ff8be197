// The DP keys of the report document, each spelled here only: a station's
// "dp" object (state, counts, and its last parameters, configuration and
// diagnosis decoded from their kept bytes) and the events. Codes are
// integers with a "_text" key beside them holding their words (null where
// the vocabulary has none), bit bytes a list of bit names.
#include "report/dp_json.h"

#include "dp/dp_cfg.h"
#include "dp/dp_cfg_compare.h"
#include "dp/dp_codes.h"
#include "dp/dp_commands.h"
#include "dp/dp_diag.h"
#include "dp/dp_status_summary.h"
#include "report/document_object.h"
#include "report/dp_words.h"

namespace zelmot {
namespace {

using Json = ReportDocument;

Json NameJson(const dp::NameTable& table, unsigned value) {
    std::string_view name = dp::LookupName(table, value);
    return name.empty() ? Json(nullptr) : Json(std::string(name));
}

Json BitsJson(const dp::NameTable& table, std::uint8_t byte) {
    Json bits = Json::array();
    for (const dp::NameEntry& entry : table.Entries)
        if (byte & entry.First) bits.push_back(std::string(entry.Name));
    return bits;
}

// A code and its words beside it: "error": 6, "error_text": "line break".
void PutCode(Json& j, const char* key, const dp::NameTable& table, unsigned value) {
    j[key] = value;
    j[std::string(key) + "_text"] = NameJson(table, value);
}

Json ModuleStatusJson(fdl::Bytes states) {
    Json modules = Json::array();
    for (std::size_t m = 0; m < states.size() * dp::kModulesPerStatusByte; ++m) {
        Json module{{"module", m}};
        PutCode(module, "status", dp::kModuleStatusNames, dp::ModuleStatusAt(states, m));
        modules.push_back(std::move(module));
    }
    return modules;
}

Json BlockJson(const dp::DiagBlock& block, DpCfgSlots cfgSlots) {
    Json j = ObjectWithRoom(10);  // a status block's keys
    j["type"] = std::string(dp::LookupName(dp::kDiagBlockNames, static_cast<unsigned>(block.Kind)));
    switch (block.Kind) {
        case dp::DiagBlockKind::Identifier: {
            Json modules = Json::array();
            for (std::size_t m = dp::NextFlaggedModule(block.Content, 0); m != dp::kNoModule;
                 m = dp::NextFlaggedModule(block.Content, m + 1))
                modules.push_back(m);
            j["modules"] = std::move(modules);
            break;
        }
        case dp::DiagBlockKind::Channel:
            j["module"] = block.Module;
            j["channel"] = block.Channel;
            j["direction"] = NameJson(dp::kDirectionNames, static_cast<unsigned>(block.Dir));
            PutCode(j, "width", dp::kChannelWidthNames, block.Width);
            PutCode(j, "error", dp::kChannelErrorNames, block.Error);
            break;
        case dp::DiagBlockKind::Status: {
            const bool moduleStatus = block.Type == dp::kStatusTypeModuleStatus;
            PutCode(j, "status_type", dp::kStatusTypeNames, block.Type);
            j["slot"] = block.Slot;
            PutCode(j, "specifier", dp::kStatusSpecifierNames, block.Specifier);
            j["data_hex"] = HexText(block.Content);
            j["module_status"] = moduleStatus ? ModuleStatusJson(block.Content) : Json(nullptr);
            j["dpv0_mode"] = block.Dpv0Layout;  // a DP-V0 slave's device block read in this layout
            Json summary = nullptr;
            if (moduleStatus) {
                const std::optional<std::size_t> slots = cfgSlots ? std::optional<std::size_t>(*cfgSlots) : std::nullopt;
                summary = dp::ModuleStatusSummaryWords(dp::SummariseModuleStatus(block.Content, slots));
            }
            j["summary"] = summary;
            break;
        }
        case dp::DiagBlockKind::Alarm:
            PutCode(j, "alarm_type", dp::kAlarmTypeNames, block.Type);
            j["slot"] = block.Slot;
            j["sequence"] = block.Sequence;
            PutCode(j, "specifier", dp::kAlarmSpecifierNames, block.Specifier);
            j["add_ack"] = block.AddAck;
            j["data_hex"] = HexText(block.Content);
            break;
        case dp::DiagBlockKind::Device:
            j["hex"] = HexText(block.Block);
            break;
        case dp::DiagBlockKind::Undecoded:
            j["cut"] = block.Cut;
            j["hex"] = HexText(block.Block);
            break;
        case dp::DiagBlockKind::None:
            break;
    }
    return j;
}

// The status bits and the blocks; a diagnosis cut inside its six standard
// bytes is one undecoded block, cut.
void PutDiagContent(Json& j, fdl::Bytes diag, bool dpv1, DpCfgSlots cfgSlots, const DiagBlockNotes& notes) {
    const dp::SlaveDiag standard = dp::DecodeSlaveDiag(diag);
    Json bits = Json::array();
    for (const StatusByte& status : StatusBytes(standard))
        for (Json& name : BitsJson(*status.Table, status.Byte)) bits.push_back(std::move(name));
    j["bits"] = std::move(bits);
    Json ext = Json::array();
    if (standard.Cut) ext.push_back(Json{{"type", "undecoded"}, {"cut", true}, {"hex", HexText(diag)}});
    for (std::size_t at = dp::kDiagHeaderSize; at < diag.size();) {
        const dp::DiagBlock block = dp::DecodeDiagBlock(diag, at, dpv1);
        Json blockJson = BlockJson(block, cfgSlots);
        if (notes) notes(block, blockJson);
        ext.push_back(std::move(blockJson));
        at = block.Next;
    }
    j["ext"] = std::move(ext);
}

Json LastDiagJson(const DpDiagFigures& diag, const DiagBlockNotes& notes) {
    if (!diag.Seen) return nullptr;
    const fdl::Bytes bytes = BytesOf(diag.Last);
    const bool whole = bytes.size() >= dp::kDiagHeaderSize;
    Json j = ObjectWithRoom(5);
    PutDiagContent(j, bytes, diag.Dpv1, diag.CfgSlots, notes);
    j["master"] = whole && bytes[3] != dp::kNoMaster ? Json(bytes[3]) : Json(nullptr);
    j["ident"] = whole ? Json(fdl::BigEndianAt(bytes, 4)) : Json(nullptr);
    j["hex"] = HexText(bytes);
    return j;
}

Json PrmJson(const DpCommandFigures& figures) {
    if (!figures.Seen) return nullptr;
    const dp::SetPrm prm = dp::DecodeSetPrm(BytesOf(figures.Data));
    Json j = ObjectWithRoom(11);
    j["count"] = figures.Count;
    j["last_ns"] = figures.LastNs;
    j["cut"] = prm.Cut;
    j["station_status"] = prm.StationStatus;
    j["station_status_bits"] = BitsJson(dp::kPrmStationNames, prm.StationStatus);
    j["ident"] = prm.IdentNumber;
    j["group"] = prm.GroupIdent;
    j["min_tsdr_bits"] = prm.MinTsdr;
    j["watchdog_ms"] = (prm.StationStatus & dp::kPrmWdOn) ? Json(prm.WatchdogMs) : Json(nullptr);
    Json dpv1 = nullptr;
    if (prm.Dpv1) {
        dpv1 = Json{{"status_1", prm.Dpv1Status1}, {"status_1_bits", BitsJson(dp::kDpv1Status1Names, prm.Dpv1Status1)},
                    {"status_2", prm.Dpv1Status2}, {"status_2_bits", BitsJson(dp::kDpv1Status2Names, prm.Dpv1Status2)},
                    {"status_3", prm.Dpv1Status3}, {"status_3_bits", BitsJson(dp::kDpv1Status3Names, prm.Dpv1Status3)},
                    {"alarm_count", prm.AlarmCount}};
    }
    j["dpv1"] = dpv1;
    j["user_prm_hex"] = HexText(prm.UserPrm);
    return j;
}

Json CfgFaultJson(dp::CfgFault fault) {
    switch (fault) {
        case dp::CfgFault::Cut: return "cut";
        case dp::CfgFault::ReservedCount: return "reserved count";
        case dp::CfgFault::None: break;
    }
    return nullptr;
}

// The master's configuration (its last Chk_Cfg answered positively) and,
// when the slave answered a Get_Cfg, the slave's own held against it.
Json CfgJson(const DpCommandFigures& figures, const DpCommandFigures& slaveCfg) {
    if (!figures.Seen) return nullptr;
    const fdl::Bytes cfg = BytesOf(figures.Data);
    Json modules = Json::array();
    std::uint64_t in = 0, out = 0;
    for (std::size_t at = 0; at < cfg.size();) {
        const dp::CfgModule module = dp::DecodeCfgModule(cfg, at);
        in += module.In.Bytes;
        out += module.Out.Bytes;
        modules.push_back(Json{{"format", NameJson(dp::kCfgFormatNames, static_cast<unsigned>(module.Format))},
                               {"in_bytes", module.In.Bytes},
                               {"out_bytes", module.Out.Bytes},
                               {"words", module.In.Words || module.Out.Words},
                               {"consistent", module.In.Consistent || module.Out.Consistent},
                               {"hex", HexText(module.Identifier)},
                               {"fault", CfgFaultJson(module.Fault)}});
        at = module.Next;
    }
    Json j = ObjectWithRoom(9);
    j["count"] = figures.Count;
    j["last_ns"] = figures.LastNs;
    j["hex"] = HexText(cfg);
    j["modules"] = std::move(modules);
    j["in_bytes"] = in;
    j["out_bytes"] = out;
    j["slave_hex"] = nullptr;
    j["matches"] = nullptr;
    j["differs_from_slot"] = nullptr;
    if (slaveCfg.Seen) {
        const dp::CfgComparison compared = dp::CompareCfg(cfg, BytesOf(slaveCfg.Data));
        j["slave_hex"] = HexText(BytesOf(slaveCfg.Data));
        j["matches"] = compared.Matches;
        if (!compared.Matches) j["differs_from_slot"] = compared.Slot;
    }
    return j;
}

Json EventJson(const DpEvents& events, const DpEvent& event, const DiagBlockNotes& notes) {
    Json j = ObjectWithRoom(10);  // a Dpv1Error's keys
    j["ns"] = event.Ns;
    j["address"] = event.Address;
    j["kind"] = std::string(DpEventName(event.Kind));
    switch (event.Kind) {
        case DpEventKind::State:
            j["from"] = NameJson(kDpStateNames, static_cast<unsigned>(event.From));
            j["to"] = NameJson(kDpStateNames, static_cast<unsigned>(event.To));
            break;
        case DpEventKind::Diag:
            PutDiagContent(j, EventDiagBytes(events, event), event.Dpv1, event.CfgSlots, notes);
            break;
        case DpEventKind::IdentMismatch:
            j["prm_ident"] = event.PrmIdent;
            j["diag_ident"] = event.DiagIdent;
            break;
        case DpEventKind::GlobalControl: {
            std::string words = BitWords(dp::kGlobalControlNames, event.Control, ", ");
            j["commands"] = event.Control;
            j["commands_text"] = words.empty() ? Json(nullptr) : Json(words);
            j["group"] = event.Group;
            break;
        }
        case DpEventKind::Negative:
            j["response"] = std::string(NegativeKey(event.Response));
            j["response_text"] = NameJson(dp::kNegativeNames, static_cast<unsigned>(event.Response));
            j["service"] = NameJson(dp::kServiceNames, static_cast<unsigned>(event.Service));
            break;
        case DpEventKind::Dpv1Error:
            PutCode(j, "function", dp::kDpv1FunctionNames, event.Function);
            PutCode(j, "error_decode", dp::kDpv1ErrorDecodeNames, event.ErrorDecode);
            PutCode(j, "error_code_1", dp::kDpv1ErrorCodeNames, event.ErrorCode1);
            j["error_code_2"] = event.ErrorCode2;
            break;
    }
    return j;
}

}  // namespace

ReportDocument DpStationJson(const DpSlaveStats& s, const DiagBlockNotes& notes) {
    if (!s.Active) return nullptr;
    Json j = ObjectWithRoom(11);
    j["ident"] = s.HasIdent ? Json(s.Ident) : Json(nullptr);
    j["master"] = s.HasIdent && s.MasterAdd != dp::kNoMaster ? Json(s.MasterAdd) : Json(nullptr);
    j["state"] = NameJson(kDpStateNames, static_cast<unsigned>(s.State));
    j["entries"] = s.Entries;
    j["drop_outs"] = s.DropOuts;
    j["prm"] = PrmJson(s.Prm);
    j["cfg"] = CfgJson(s.Cfg, s.GetCfg);
    j["data_exchange"] = Json{{"requests", s.ExchangeRequests}, {"answered", s.ExchangeAnswered},
                              {"diag_waiting", s.DiagWaiting}};
    j["diag"] = Json{{"responses", s.Diag.Responses},
                     {"last_ns", s.Diag.Seen ? Json(s.Diag.LastNs) : Json(nullptr)},
                     {"last", LastDiagJson(s.Diag, notes)}};
    Json negative = ObjectWithRoom(kNegativeKinds);
    for (std::size_t i = 0; i < kNegativeKinds; ++i)
        negative[std::string(NegativeKey(static_cast<dp::Negative>(i + 1)))] = s.Negative[i];
    j["negative"] = std::move(negative);
    j["dpv1"] = Json{{"reads", s.Dpv1Reads}, {"writes", s.Dpv1Writes}, {"errors", s.Dpv1Errors}};
    return j;
}

ReportDocument DpEventsJson(const DpEvents& events, std::span<const DiagBlockNotes> notesByAddress) {
    const DiagBlockNotes none;
    Json list = Json::array();
    for (const DpEvent& event : events.Kept) {
        const bool noted = event.Address < notesByAddress.size();
        list.push_back(EventJson(events, event, noted ? notesByAddress[event.Address] : none));
    }
    return list;
}

}  // namespace zelmot
