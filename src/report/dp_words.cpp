// The DP analysis' own tables and the words of diagnoses and events, put
// together from the decoders' tables; a value a table does not name is
// written as its number.
#include "report/dp_words.h"

#include <cstdio>
#include <optional>
#include <span>

#include "dp/dp_codes.h"
#include "dp/dp_diag.h"
#include "dp/dp_status_summary.h"

namespace zelmot {
namespace {

template <typename Enum>
constexpr dp::NameEntry One(Enum value, std::string_view name) {
    return dp::NameEntry{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value), name};
}

// Whether entry i names value first + i alone, for count values: a table
// with one row for every value of its enum, in order.
constexpr bool NamesEveryValue(std::span<const dp::NameEntry> entries, unsigned first, std::size_t count) {
    if (entries.size() != count) return false;
    for (std::size_t i = 0; i < count; ++i)
        if (entries[i].First != first + i || entries[i].Last != first + i) return false;
    return true;
}

constexpr dp::NameEntry kStates[] = {
    One(DpState::Diagnosis, "diagnosis"),       One(DpState::Parameterised, "parameterised"),
    One(DpState::Configured, "configured"),     One(DpState::DataExchange, "data_exchange"),
    One(DpState::Offline, "offline"),
};
constexpr dp::NameEntry kStateWords[] = {
    One(DpState::Diagnosis, "diagnosis"),       One(DpState::Parameterised, "parameterised"),
    One(DpState::Configured, "configured"),     One(DpState::DataExchange, "data exchange"),
    One(DpState::Offline, "offline"),
};
static_assert(NamesEveryValue(kStates, 1, kDpStateCount - 1) && NamesEveryValue(kStateWords, 1, kDpStateCount - 1),
              "every state but None is named, in order");

constexpr dp::NameEntry kEvents[] = {
    One(DpEventKind::State, "state"),
    One(DpEventKind::Diag, "diag"),
    One(DpEventKind::IdentMismatch, "ident_mismatch"),
    One(DpEventKind::GlobalControl, "global_control"),
    One(DpEventKind::Negative, "negative"),
    One(DpEventKind::Dpv1Error, "dpv1_error"),
};
static_assert(NamesEveryValue(kEvents, 0, kDpEventKindCount));

constexpr dp::NameEntry kNegatives[] = {
    One(dp::Negative::UserError, "UE"),
    One(dp::Negative::NoResource, "RR"),
    One(dp::Negative::SapNotEnabled, "RS"),
};
static_assert(NamesEveryValue(kNegatives, 1, kNegativeKinds));

std::string Number(unsigned value) { return std::to_string(value); }

// The table's name of value, or what + its number.
std::string NameOr(const dp::NameTable& table, unsigned value, const char* what) {
    std::string_view name = dp::LookupName(table, value);
    return name.empty() ? what + Number(value) : std::string(name);
}

// A part of DiagNames asked, or "" when it is empty.
template <typename Part, typename Value>
std::string Ask(const Part& part, Value value) {
    return part ? part(value) : std::string();
}

// Module m, with its name in quotes when names know it.
std::string ModuleWords(std::size_t m, const DiagNames& names) {
    const std::string name = Ask(names.Module, m);
    return Number(static_cast<unsigned>(m)) + (name.empty() ? "" : " '" + name + "'");
}

std::optional<std::size_t> SlotCount(DpCfgSlots cfgSlots) {
    return cfgSlots ? std::optional<std::size_t>(*cfgSlots) : std::nullopt;
}

// "modules 1 3", or with names "module 1 'a', module 3 'b'"; a module
// beyond the slave's configured slots is marked so.
std::string ModuleList(fdl::Bytes bits, DpCfgSlots cfgSlots, const DiagNames& names) {
    std::string text;
    const char* separator = names.Module ? ", module " : " ";
    for (const dp::SlotState& flagged : dp::FlaggedModules(bits, SlotCount(cfgSlots)))
        text += (text.empty() ? "" : separator) + ModuleWords(flagged.Slot, names) +
                (flagged.Beyond ? " (beyond the configuration)" : "");
    if (text.empty()) return "no module";
    return (names.Module ? "module " : "modules ") + text;
}

std::string ChannelErrorWords(std::uint8_t error, const DiagNames& names) {
    const std::string text = Ask(names.ChannelError, error);
    return text.empty() ? NameOr(dp::kChannelErrorNames, error, "error ") : text;
}

std::string BlockOwnWords(const dp::DiagBlock& block, DpCfgSlots cfgSlots, const DiagNames& names) {
    switch (block.Kind) {
        case dp::DiagBlockKind::Identifier:
            return "identifier: " + ModuleList(block.Content, cfgSlots, names);
        case dp::DiagBlockKind::Channel:
            return "module " + ModuleWords(block.Module, names) + " channel " + Number(block.Channel) + " " +
                   NameOr(dp::kDirectionNames, static_cast<unsigned>(block.Dir), "direction ") + ": " +
                   ChannelErrorWords(block.Error, names);
        case dp::DiagBlockKind::Status:
            if (block.Type == dp::kStatusTypeModuleStatus)
                return dp::ModuleStatusBlockWords(block, SlotCount(cfgSlots));
            return NameOr(dp::kStatusTypeNames, block.Type, "status type ") + " slot " + Number(block.Slot) + " " +
                   NameOr(dp::kStatusSpecifierNames, block.Specifier, "specifier ");
        case dp::DiagBlockKind::Alarm:
            return NameOr(dp::kAlarmTypeNames, block.Type, "type ") + " alarm slot " + Number(block.Slot) + " " +
                   NameOr(dp::kAlarmSpecifierNames, block.Specifier, "specifier ") + ", sequence " +
                   Number(block.Sequence) + (block.AddAck ? ", Add_Ack" : "");
        case dp::DiagBlockKind::Device:
            return "device block " + HexText(block.Block);
        case dp::DiagBlockKind::Undecoded:
            return std::string(block.Cut ? "cut block " : "undecoded ") + HexText(block.Block);
        case dp::DiagBlockKind::None:
            break;
    }
    return {};
}

bool IsDeviceRelated(dp::DiagBlockKind kind) {
    return kind == dp::DiagBlockKind::Device || kind == dp::DiagBlockKind::Status || kind == dp::DiagBlockKind::Alarm;
}

// The block's words, and after a device-related one the texts names give.
std::string BlockWords(const dp::DiagBlock& block, DpCfgSlots cfgSlots, const DiagNames& names) {
    std::string text = BlockOwnWords(block, cfgSlots, names);
    if (!IsDeviceRelated(block.Kind)) return text;
    const std::string device = Ask(names.Device, block);
    return device.empty() ? text : text + ": " + device;
}

std::string StationWords(const DpEvent& event, std::string_view slaveName) {
    if (event.Kind == DpEventKind::GlobalControl) return "master " + Number(event.Address) + ": ";
    return "slave " + Number(event.Address) + (slaveName.empty() ? "" : " (" + std::string(slaveName) + ")") + ": ";
}

std::string StateWords(DpState state) {
    return state == DpState::None ? "(new)" : std::string(dp::LookupName(kDpStateWords, static_cast<unsigned>(state)));
}

}  // namespace

std::array<StatusByte, 3> StatusBytes(const dp::SlaveDiag& diag) {
    return {{{&dp::kStationStatus1Names, diag.Status1},
             {&dp::kStationStatus2Names, diag.Status2},
             {&dp::kStationStatus3Names, diag.Status3}}};
}

const dp::NameTable kDpStateNames{"states", false, kStates};
const dp::NameTable kDpStateWords{"state_words", false, kStateWords};
const dp::NameTable kDpEventNames{"event_kinds", false, kEvents};
const dp::NameTable kNegativeKeys{"negative_keys", false, kNegatives};

std::string BitWords(const dp::NameTable& table, std::uint8_t byte, std::string_view separator) {
    std::string text;
    for (const dp::NameEntry& entry : table.Entries)
        if (byte & entry.First) text += (text.empty() ? "" : std::string(separator)) + std::string(entry.Name);
    return text;
}

std::string IdentText(std::uint16_t ident) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(ident));
    return text;
}

std::string ByteText(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(byte));
    return text;
}

std::string HexText(fdl::Bytes bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

std::string DiagWords(fdl::Bytes diag, bool dpv1, DpCfgSlots cfgSlots, const DiagNames& names) {
    const dp::SlaveDiag standard = dp::DecodeSlaveDiag(diag);
    std::string text;
    for (const StatusByte& status : StatusBytes(standard)) {
        std::string bits = BitWords(*status.Table, status.Byte, ", ");
        if (!bits.empty()) text += (text.empty() ? "" : ", ") + bits;
    }
    if (text.empty()) text = "no status bits";
    if (standard.Cut) return text + "; cut after " + Number(static_cast<unsigned>(diag.size())) + " bytes";
    for (std::size_t at = dp::kDiagHeaderSize; at < diag.size();) {
        const dp::DiagBlock block = dp::DecodeDiagBlock(diag, at, dpv1);
        text += "; " + BlockWords(block, cfgSlots, names);
        at = block.Next;
    }
    return text;
}

std::string DpEventWords(const DpEvents& events, const DpEvent& event, const DiagNames& names,
                         std::string_view slaveName) {
    std::string text = StationWords(event, slaveName);
    switch (event.Kind) {
        case DpEventKind::State:
            return text + StateWords(event.From) + " -> " + StateWords(event.To);
        case DpEventKind::Diag:
            return text + DiagWords(EventDiagBytes(events, event), event.Dpv1, event.CfgSlots, names);
        case DpEventKind::IdentMismatch:
            return text + "Set_Prm ident " + IdentText(event.PrmIdent) + " differs from the Slave_Diag ident " +
                   IdentText(event.DiagIdent);
        case DpEventKind::GlobalControl: {
            std::string commands = BitWords(dp::kGlobalControlNames, event.Control, ", ");
            return text + "Global_Control " + (commands.empty() ? "without command" : commands) + " (" +
                   ByteText(event.Control) + "), group select " + ByteText(event.Group);
        }
        case DpEventKind::Negative:
            return text + NameOr(dp::kServiceNames, static_cast<unsigned>(event.Service), "service ") +
                   " answered " + std::string(NegativeKey(event.Response)) + " (" +
                   std::string(dp::LookupName(dp::kNegativeNames, static_cast<unsigned>(event.Response))) + ")";
        case DpEventKind::Dpv1Error:
            return text + "DP-V1 " + NameOr(dp::kDpv1FunctionNames, event.Function, "function ") + " refused: " +
                   NameOr(dp::kDpv1ErrorCodeNames, event.ErrorCode1, "error ") + " (Error_Decode " +
                   ByteText(event.ErrorDecode) + ", Error_Code_1 " + ByteText(event.ErrorCode1) +
                   ", Error_Code_2 " + ByteText(event.ErrorCode2) + ")";
    }
    return text;
}

}  // namespace zelmot
