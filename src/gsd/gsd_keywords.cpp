// The keywords a device file is read for, one reader each, in one table.
// A reader scans its line's argument and value, warns about what it cannot
// read and stores what it can; the block rules (what opens, closes or must
// stand inside a block) are table columns the line reader applies.
#include <algorithm>
#include <array>
#include <utility>

#include "common/ascii.h"
#include "gsd/gsd_read_state.h"

namespace zelmot {
namespace {

constexpr std::int64_t kMaxOffset = 255;         // Set_Prm never holds more user bytes
constexpr std::int64_t kMaxDiagBit = 2047;       // the extended diagnosis holds fewer bits
constexpr std::int64_t kMaxChannelError = 31;    // five bits of the channel block
constexpr std::int64_t kMaxAreaWidth = 32;

bool Failed(GsdReadState& state, const GsdCursor& cursor) {
    WarnGsd(state, cursor.Error);
    return false;
}

bool NeedEquals(GsdReadState& state, const GsdStatement& statement) {
    if (statement.HasEquals) return true;
    WarnGsd(state, "missing '=' after " + std::string(statement.Keyword));
    return false;
}

// The value after '=': one number and nothing else.
std::optional<std::int64_t> ValueNumber(GsdReadState& state, const GsdStatement& statement, std::int64_t min,
                                        std::int64_t max) {
    if (!NeedEquals(state, statement)) return std::nullopt;
    GsdCursor cursor = CursorOver(statement.Value);
    const std::optional<std::int64_t> value = ScanGsdNumber(cursor, min, max);
    if (!value || !ExpectGsdEnd(cursor)) {
        Failed(state, cursor);
        return std::nullopt;
    }
    return value;
}

// The cursor over the text in parentheses, or a warning that it is missing.
std::optional<GsdCursor> ArgumentCursor(GsdReadState& state, const GsdStatement& statement) {
    if (statement.Argument) return CursorOver(*statement.Argument);
    WarnGsd(state, std::string(statement.Keyword) + " without its (number)");
    return std::nullopt;
}

std::optional<std::int64_t> ArgumentNumber(GsdReadState& state, const GsdStatement& statement, std::int64_t min,
                                           std::int64_t max) {
    std::optional<GsdCursor> cursor = ArgumentCursor(state, statement);
    if (!cursor) return std::nullopt;
    const std::optional<std::int64_t> value = ScanGsdNumber(*cursor, min, max);
    if (!value || !ExpectGsdEnd(*cursor)) {
        Failed(state, *cursor);
        return std::nullopt;
    }
    return value;
}

bool ScanText(GsdReadState& state, GsdCursor& cursor, std::string& text) {
    bool cut = false;
    if (!ScanGsdText(cursor, text, cut)) return false;
    if (cut) WarnGsd(state, "quoted text longer than " + std::to_string(kGsdMaxTextLength) + " characters, cut");
    return true;
}

// The value after '=': one quoted text and nothing else.
bool ValueText(GsdReadState& state, const GsdStatement& statement, std::string& text) {
    if (!NeedEquals(state, statement)) return false;
    GsdCursor cursor = CursorOver(statement.Value);
    std::string scanned;
    if (!ScanText(state, cursor, scanned) || !ExpectGsdEnd(cursor)) return Failed(state, cursor);
    text = std::move(scanned);
    return true;
}

bool ValueBytes(GsdReadState& state, const GsdStatement& statement, std::vector<std::uint8_t>& bytes) {
    if (!NeedEquals(state, statement)) return false;
    GsdCursor cursor = CursorOver(statement.Value);
    std::vector<std::int64_t> values;
    if (!ScanGsdList(cursor, 0, 255, values) || !ExpectGsdEnd(cursor)) return Failed(state, cursor);
    bytes.assign(values.begin(), values.end());
    return true;
}

// False (after one warning per kind) when a list has reached its limit.
bool HasRoom(GsdReadState& state, std::size_t used, std::size_t limit, GsdLimit kind, std::string_view what) {
    if (used < limit) return true;
    const std::uint32_t bit = 1u << static_cast<unsigned>(kind);
    if ((state.LimitsWarned & bit) == 0) {
        state.LimitsWarned |= bit;
        WarnGsd(state, "more than " + std::to_string(limit) + " " + std::string(what) + ": the rest are not kept");
    }
    return false;
}

template <typename T>
bool StoreNumber(GsdReadState& state, const GsdStatement& statement, std::int64_t max, std::optional<T>& to) {
    const std::optional<std::int64_t> value = ValueNumber(state, statement, 0, max);
    if (value) to = static_cast<T>(*value);
    return value.has_value();
}

bool StoreFlag(GsdReadState& state, const GsdStatement& statement, bool& to) {
    const std::optional<std::int64_t> value = ValueNumber(state, statement, 0, 1);
    if (value) to = *value != 0;
    return value.has_value();
}

// Parameter entries stand in the open module, or else for the device.
std::vector<GsdPrmConst>& ConstsHere(GsdReadState& state) {
    return state.Open == GsdBlock::Module ? state.Device->Modules.back().Consts : state.Device->Consts;
}
std::vector<GsdPrmRef>& RefsHere(GsdReadState& state) {
    return state.Open == GsdBlock::Module ? state.Device->Modules.back().Refs : state.Device->Refs;
}

void OpenBlock(GsdReadState& state, GsdBlock block) {
    state.Open = block;
    state.OpenLine = state.Line;
    state.Ignoring = false;
}

// --- device keywords ---

bool ReadVendorName(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return ValueText(s, st, s.Device->VendorName); }
bool ReadModelName(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return ValueText(s, st, s.Device->ModelName); }
bool ReadIdent(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return StoreNumber(s, st, 0xFFFF, s.Device->IdentNumber); }
bool ReadStationType(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return StoreNumber(s, st, 255, s.Device->StationType); }
bool ReadDpv1(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return StoreFlag(s, st, s.Device->Dpv1Slave); }
bool ReadModular(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return StoreFlag(s, st, s.Device->ModularStation); }
bool ReadMaxModule(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return StoreNumber(s, st, 0xFFFF, s.Device->MaxModule); }
bool ReadMinSlaveInterval(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    return StoreNumber(s, st, 0xFFFF, s.Device->MinSlaveInterval);
}
bool ReadMaxTsdr(GsdReadState& s, const GsdStatement& st, std::uint8_t baud) {
    return StoreNumber(s, st, 0xFFFF, s.Device->MaxTsdr[baud]);
}
bool ReadUserPrmDataLen(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    return StoreNumber(s, st, kMaxOffset, s.Device->UserPrmDataLen);
}
bool ReadMaxUserPrmDataLen(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    return StoreNumber(s, st, kMaxOffset, s.Device->MaxUserPrmDataLen);
}
bool ReadUserPrmData(GsdReadState& s, const GsdStatement& st, std::uint8_t) { return ValueBytes(s, st, s.Device->UserPrmData); }

bool ReadPrmConst(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    const std::optional<std::int64_t> offset = ArgumentNumber(s, st, 0, kMaxOffset);
    GsdPrmConst entry;
    if (!offset || !ValueBytes(s, st, entry.Bytes)) return false;
    if (!HasRoom(s, s.PrmEntries, kGsdMaxPrmEntries, GsdLimit::PrmEntries, "user parameter entries")) return false;
    entry.Offset = static_cast<std::uint32_t>(*offset);
    ConstsHere(s).push_back(std::move(entry));
    ++s.PrmEntries;
    return true;
}

bool ReadPrmRef(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    const std::optional<std::int64_t> offset = ArgumentNumber(s, st, 0, kMaxOffset);
    if (!offset) return false;
    const std::optional<std::int64_t> definition = ValueNumber(s, st, 0, 0xFFFF);
    if (!definition) return false;
    if (!HasRoom(s, s.PrmEntries, kGsdMaxPrmEntries, GsdLimit::PrmEntries, "user parameter entries")) return false;
    RefsHere(s).push_back(GsdPrmRef{static_cast<std::uint32_t>(*offset), static_cast<std::uint32_t>(*definition)});
    ++s.PrmEntries;
    return true;
}

// --- modules ---

bool ReadModule(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    if (!NeedEquals(s, st)) return false;
    GsdCursor cursor = CursorOver(st.Value);
    GsdModule module;
    std::vector<std::int64_t> bytes;
    if (!ScanText(s, cursor, module.Name) || !ScanGsdList(cursor, 0, 255, bytes) || !ExpectGsdEnd(cursor))
        return Failed(s, cursor);
    if (!HasRoom(s, s.Device->Modules.size(), kGsdMaxModules, GsdLimit::Modules, "modules")) return false;
    module.Identifiers.assign(bytes.begin(), bytes.end());
    s.Device->Modules.push_back(std::move(module));
    OpenBlock(s, GsdBlock::Module);
    s.AfterModuleLine = true;
    return true;
}

bool ReadModulePrmDataLen(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    return StoreNumber(s, st, kMaxOffset, s.Device->Modules.back().PrmDataLen);
}

// --- user parameter definitions and their texts ---

bool ReadDefinition(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    if (!NeedEquals(s, st)) return false;
    GsdCursor cursor = CursorOver(st.Value);
    GsdPrmDefinition definition;
    const std::optional<std::int64_t> number = ScanGsdNumber(cursor, 0, 0xFFFF);
    if (!number || !ScanText(s, cursor, definition.Name) || !ExpectGsdEnd(cursor)) return Failed(s, cursor);
    if (!HasRoom(s, s.Device->Definitions.size(), kGsdMaxDefinitions, GsdLimit::Definitions, "ExtUserPrmData definitions"))
        return false;
    definition.Number = static_cast<std::uint32_t>(*number);
    s.Device->Definitions.push_back(std::move(definition));
    s.TextRefLines.push_back(0);
    OpenBlock(s, GsdBlock::Definition);
    s.DefinitionTyped = false;
    return true;
}

struct TypeRange {
    std::int64_t Min;
    std::int64_t Max;
};

// Indexed by GsdPrmType; Bit and BitArea are bounded by their bits instead.
constexpr std::array<TypeRange, 8> kTypeRanges = {{
    {0, 1}, {0, 255}, {0, 255}, {0, 0xFFFF}, {0, 0xFFFFFFFF}, {-128, 127}, {-32768, 32767}, {-2147483648LL, 2147483647LL},
}};

// The bit or bits of a Bit or BitArea line; false when they cannot be read.
bool ScanTypeBits(GsdReadState& s, const GsdStatement& st, GsdPrmDefinition& to) {
    if (to.Type != GsdPrmType::Bit && to.Type != GsdPrmType::BitArea) {
        if (st.Argument) WarnGsd(s, std::string(st.Keyword) + " takes no (number)");
        to.FirstBit = 0;
        to.LastBit = 7;
        return !st.Argument;
    }
    std::optional<GsdCursor> cursor = ArgumentCursor(s, st);
    if (!cursor) return false;
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (to.Type == GsdPrmType::Bit) {
        const std::optional<std::int64_t> bit = ScanGsdNumber(*cursor, 0, 7);
        if (bit) first = last = *bit;
        if (!bit || !ExpectGsdEnd(*cursor)) return Failed(s, *cursor);
    } else if (!ScanGsdRange(*cursor, 0, 7, first, last) || !ExpectGsdEnd(*cursor)) {
        return Failed(s, *cursor);
    }
    to.FirstBit = static_cast<std::uint8_t>(first);
    to.LastBit = static_cast<std::uint8_t>(last);
    return true;
}

// "Type default min-max" or "Type default v1,v2,...": the allowed values
// may be left out (any value the type holds).
bool ReadPrmType(GsdReadState& s, const GsdStatement& st, std::uint8_t type) {
    GsdPrmDefinition typed = s.Device->Definitions.back();
    typed.Type = static_cast<GsdPrmType>(type);
    if (!ScanTypeBits(s, st, typed)) return false;
    TypeRange range = kTypeRanges[type];
    if (typed.Type == GsdPrmType::BitArea) range.Max = (std::int64_t{1} << (typed.LastBit - typed.FirstBit + 1)) - 1;
    GsdCursor cursor = CursorOver(st.Value);
    const std::optional<std::int64_t> fallback = ScanGsdNumber(cursor, range.Min, range.Max);
    if (!fallback) return Failed(s, cursor);
    typed.Default = *fallback;
    typed.Min = range.Min;
    typed.Max = range.Max;
    if (!AtGsdEnd(cursor)) {
        std::vector<std::int64_t> values;
        if (!ScanGsdList(cursor, range.Min, range.Max, values)) return Failed(s, cursor);
        typed.Min = *std::min_element(values.begin(), values.end());
        typed.Max = *std::max_element(values.begin(), values.end());
        if (values.size() == 1 && !AtGsdEnd(cursor) && cursor.Text[cursor.Pos] == '-') {
            ++cursor.Pos;
            const std::optional<std::int64_t> last = ScanGsdNumber(cursor, typed.Min, range.Max);
            if (!last) return Failed(s, cursor);
            typed.Max = *last;
        }
        if (!ExpectGsdEnd(cursor)) return Failed(s, cursor);
    }
    s.Device->Definitions.back() = std::move(typed);
    s.DefinitionTyped = true;
    return true;
}

bool ReadPrmTextRef(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    if (!StoreNumber(s, st, 0xFFFF, s.Device->Definitions.back().TextRef)) return false;
    s.TextRefLines.back() = s.Line;
    return true;
}

bool ReadTextList(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    const std::optional<std::int64_t> number = ValueNumber(s, st, 0, 0xFFFF);
    if (!number) return false;
    if (!HasRoom(s, s.Device->TextLists.size(), kGsdMaxTextLists, GsdLimit::TextLists, "PrmText lists")) return false;
    s.Device->TextLists.push_back(GsdTextList{static_cast<std::uint32_t>(*number), {}});
    OpenBlock(s, GsdBlock::TextList);
    return true;
}

// Text(v) = "text" and Value(v) = "text" into the list given.
bool ReadValueText(GsdReadState& s, const GsdStatement& st, std::vector<GsdValueText>& to) {
    const std::optional<std::int64_t> value = ArgumentNumber(s, st, -kGsdNumberLimit, kGsdNumberLimit);
    GsdValueText entry;
    if (!value || !ValueText(s, st, entry.Text)) return false;
    if (!HasRoom(s, s.ValueTexts, kGsdMaxValueTexts, GsdLimit::ValueTexts, "value texts")) return false;
    entry.Value = *value;
    to.push_back(std::move(entry));
    ++s.ValueTexts;
    return true;
}

bool ReadText(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    return ReadValueText(s, st, s.Device->TextLists.back().Texts);
}

// --- diagnosis texts ---

bool ReadDiagBit(GsdReadState& s, const GsdStatement& st, std::uint8_t whenClear) {
    const std::optional<std::int64_t> bit = ArgumentNumber(s, st, 0, kMaxDiagBit);
    GsdDiagBit entry;
    if (!bit || !ValueText(s, st, entry.Text)) return false;
    if (!HasRoom(s, s.Device->DiagBits.size(), kGsdMaxDiagBits, GsdLimit::DiagBits, "unit diagnosis bits")) return false;
    entry.Bit = static_cast<std::uint32_t>(*bit);
    entry.WhenClear = whenClear != 0;
    s.Device->DiagBits.push_back(std::move(entry));
    return true;
}

bool ReadDiagArea(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    if (!NeedEquals(s, st)) return false;
    GsdCursor cursor = CursorOver(st.Value);
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (!ScanGsdRange(cursor, 0, kMaxDiagBit, first, last) || !ExpectGsdEnd(cursor)) return Failed(s, cursor);
    if (last - first + 1 > kMaxAreaWidth) {
        WarnGsd(s, "Unit_Diag_Area wider than " + std::to_string(kMaxAreaWidth) + " bits");
        return false;
    }
    if (!HasRoom(s, s.Device->DiagAreas.size(), kGsdMaxDiagAreas, GsdLimit::DiagAreas, "unit diagnosis areas"))
        return false;
    s.Device->DiagAreas.push_back(GsdDiagArea{static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last), {}});
    OpenBlock(s, GsdBlock::DiagArea);
    return true;
}

bool ReadDiagValue(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    return ReadValueText(s, st, s.Device->DiagAreas.back().Values);
}

bool ReadChannelDiag(GsdReadState& s, const GsdStatement& st, std::uint8_t) {
    const std::optional<std::int64_t> type = ArgumentNumber(s, st, 0, kMaxChannelError);
    GsdChannelDiag entry;
    if (!type || !ValueText(s, st, entry.Text)) return false;
    if (!HasRoom(s, s.Device->ChannelDiags.size(), kGsdMaxChannelDiags, GsdLimit::ChannelDiags, "channel diagnosis texts"))
        return false;
    entry.ErrorType = static_cast<std::uint32_t>(*type);
    s.Device->ChannelDiags.push_back(std::move(entry));
    return true;
}

constexpr GsdBlock kNone = GsdBlock::None;
constexpr GsdBlock kModule = GsdBlock::Module;
constexpr GsdBlock kDefinition = GsdBlock::Definition;
constexpr GsdBlock kTextList = GsdBlock::TextList;
constexpr GsdBlock kDiagArea = GsdBlock::DiagArea;

constexpr std::uint8_t Tag(auto value) { return static_cast<std::uint8_t>(value); }

// Keep the MaxTsdr rows in the order of GsdBaud.
constexpr GsdKeyword kKeywords[] = {
    {"Vendor_Name", ReadVendorName, 0, kNone, kNone, kNone},
    {"Model_Name", ReadModelName, 0, kNone, kNone, kNone},
    {"Ident_Number", ReadIdent, 0, kNone, kNone, kNone},
    {"Station_Type", ReadStationType, 0, kNone, kNone, kNone},
    {"DPV1_Slave", ReadDpv1, 0, kNone, kNone, kNone},
    {"Modular_Station", ReadModular, 0, kNone, kNone, kNone},
    {"Max_Module", ReadMaxModule, 0, kNone, kNone, kNone},
    {"Min_Slave_Intervall", ReadMinSlaveInterval, 0, kNone, kNone, kNone},
    {"MaxTsdr_9.6", ReadMaxTsdr, Tag(GsdBaud::B9k6), kNone, kNone, kNone},
    {"MaxTsdr_19.2", ReadMaxTsdr, Tag(GsdBaud::B19k2), kNone, kNone, kNone},
    {"MaxTsdr_31.25", ReadMaxTsdr, Tag(GsdBaud::B31k25), kNone, kNone, kNone},
    {"MaxTsdr_45.45", ReadMaxTsdr, Tag(GsdBaud::B45k45), kNone, kNone, kNone},
    {"MaxTsdr_93.75", ReadMaxTsdr, Tag(GsdBaud::B93k75), kNone, kNone, kNone},
    {"MaxTsdr_187.5", ReadMaxTsdr, Tag(GsdBaud::B187k5), kNone, kNone, kNone},
    {"MaxTsdr_500", ReadMaxTsdr, Tag(GsdBaud::B500k), kNone, kNone, kNone},
    {"MaxTsdr_1.5M", ReadMaxTsdr, Tag(GsdBaud::B1M5), kNone, kNone, kNone},
    {"MaxTsdr_3M", ReadMaxTsdr, Tag(GsdBaud::B3M), kNone, kNone, kNone},
    {"MaxTsdr_6M", ReadMaxTsdr, Tag(GsdBaud::B6M), kNone, kNone, kNone},
    {"MaxTsdr_12M", ReadMaxTsdr, Tag(GsdBaud::B12M), kNone, kNone, kNone},
    {"User_Prm_Data_Len", ReadUserPrmDataLen, 0, kNone, kNone, kNone},
    {"User_Prm_Data", ReadUserPrmData, 0, kNone, kNone, kNone},
    {"Max_User_Prm_Data_Len", ReadMaxUserPrmDataLen, 0, kNone, kNone, kNone},
    {"Ext_User_Prm_Data_Const", ReadPrmConst, 0, kNone, kNone, kNone},
    {"Ext_User_Prm_Data_Ref", ReadPrmRef, 0, kNone, kNone, kNone},
    {"Module", ReadModule, 0, kModule, kNone, kNone},
    {"Ext_Module_Prm_Data_Len", ReadModulePrmDataLen, 0, kNone, kNone, kModule},
    {"EndModule", nullptr, 0, kNone, kModule, kNone},
    {"ExtUserPrmData", ReadDefinition, 0, kDefinition, kNone, kNone},
    {"Bit", ReadPrmType, Tag(GsdPrmType::Bit), kNone, kNone, kDefinition},
    {"BitArea", ReadPrmType, Tag(GsdPrmType::BitArea), kNone, kNone, kDefinition},
    {"Unsigned8", ReadPrmType, Tag(GsdPrmType::Unsigned8), kNone, kNone, kDefinition},
    {"Unsigned16", ReadPrmType, Tag(GsdPrmType::Unsigned16), kNone, kNone, kDefinition},
    {"Unsigned32", ReadPrmType, Tag(GsdPrmType::Unsigned32), kNone, kNone, kDefinition},
    {"Signed8", ReadPrmType, Tag(GsdPrmType::Signed8), kNone, kNone, kDefinition},
    {"Signed16", ReadPrmType, Tag(GsdPrmType::Signed16), kNone, kNone, kDefinition},
    {"Signed32", ReadPrmType, Tag(GsdPrmType::Signed32), kNone, kNone, kDefinition},
    {"Prm_Text_Ref", ReadPrmTextRef, 0, kNone, kNone, kDefinition},
    {"EndExtUserPrmData", nullptr, 0, kNone, kDefinition, kNone},
    {"PrmText", ReadTextList, 0, kTextList, kNone, kNone},
    {"Text", ReadText, 0, kNone, kNone, kTextList},
    {"EndPrmText", nullptr, 0, kNone, kTextList, kNone},
    {"Unit_Diag_Bit", ReadDiagBit, 0, kNone, kNone, kNone},
    {"Unit_Diag_Not_Bit", ReadDiagBit, 1, kNone, kNone, kNone},
    {"Unit_Diag_Area", ReadDiagArea, 0, kDiagArea, kNone, kNone},
    {"Value", ReadDiagValue, 0, kNone, kNone, kDiagArea},
    {"Unit_Diag_Area_End", nullptr, 0, kNone, kDiagArea, kNone},
    {"Channel_Diag", ReadChannelDiag, 0, kNone, kNone, kNone},
};

static_assert(static_cast<std::size_t>(GsdBaud::B12M) + 1 == kGsdBaudCount);

struct BlockNames {
    std::string_view Name;
    std::string_view End;
};

// Indexed by GsdBlock.
constexpr std::array<BlockNames, 5> kBlockNames = {{
    {"", ""},
    {"Module", "EndModule"},
    {"ExtUserPrmData", "EndExtUserPrmData"},
    {"PrmText", "EndPrmText"},
    {"Unit_Diag_Area", "Unit_Diag_Area_End"},
}};

}  // namespace

void WarnGsd(GsdReadState& state, std::string_view what) {
    AddGsdWarning(state.Device->Warnings,
                  state.Device->SourceName + ":" + std::to_string(state.Line) + ": " + std::string(what));
}

const GsdKeyword* FindGsdKeyword(std::string_view name) {
    for (const GsdKeyword& keyword : kKeywords)
        if (ascii::EqualsNoCase(keyword.Name, name)) return &keyword;
    return nullptr;
}

std::string_view GsdBlockName(GsdBlock block) { return kBlockNames[static_cast<std::size_t>(block)].Name; }
std::string_view GsdBlockEnd(GsdBlock block) { return kBlockNames[static_cast<std::size_t>(block)].End; }

void CloseGsdBlock(GsdReadState& state) {
    if (state.Open == GsdBlock::Definition && !state.Ignoring && !state.DefinitionTyped) {
        const std::uint32_t line = state.Line;
        state.Line = state.OpenLine;
        WarnGsd(state, "ExtUserPrmData " + std::to_string(state.Device->Definitions.back().Number) +
                           " has no type line: not kept");
        state.Line = line;
        state.Device->Definitions.pop_back();
        state.TextRefLines.pop_back();
    }
    state.Open = GsdBlock::None;
    state.Ignoring = false;
}

}  // namespace zelmot
