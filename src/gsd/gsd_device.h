// What a device file tells about one DP slave, as plain records: identity,
// timing, the modules and their configuration identifier bytes, the user
// parameters (constant bytes, references to named definitions, value texts)
// and the diagnosis texts, with the warnings the reading gave and the
// lines it passed over. Every text is valid UTF-8 (gsd_encoding.h). Every
// list is bounded by the limits below, so a hostile file cannot make it
// grow without end. Every record compares by value, so that two readings
// can be compared.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelmot {

// Limits of what one device keeps; beyond them the reader warns once and
// goes on without keeping more.
constexpr std::size_t kGsdMaxLineLength = 8192;   // a line, continuations joined, comment left out
constexpr std::size_t kGsdMaxTextLength = 256;    // a quoted text
constexpr std::size_t kGsdMaxListLength = 256;    // numbers in one list
constexpr std::size_t kGsdMaxModules = 1024;
constexpr std::size_t kGsdMaxDefinitions = 1024;  // ExtUserPrmData
constexpr std::size_t kGsdMaxTextLists = 1024;    // PrmText
constexpr std::size_t kGsdMaxValueTexts = 4096;   // Text and Value lines together
constexpr std::size_t kGsdMaxPrmEntries = 4096;   // constant blocks and references together
constexpr std::size_t kGsdMaxDiagBits = 2048;
constexpr std::size_t kGsdMaxDiagAreas = 256;
constexpr std::size_t kGsdMaxChannelDiags = 64;
constexpr std::size_t kGsdMaxWarnings = 32;
constexpr std::size_t kGsdMaxSkippedKeywords = 256;  // keywords counted one by one
constexpr std::size_t kGsdMaxKeywordSpelling = 64;   // bytes kept of a skipped keyword

// Warnings kept in the order they arose, each "<file>:<line>: <what>", and
// the count of those beyond the first kGsdMaxWarnings.
struct GsdWarnings {
    std::vector<std::string> Texts;
    std::uint32_t More = 0;
    bool operator==(const GsdWarnings&) const = default;
};

void AddGsdWarning(GsdWarnings& warnings, std::string text);

// The baud rates a device file names MaxTsdr for, in its spelling order.
enum class GsdBaud : std::uint8_t {
    B9k6, B19k2, B31k25, B45k45, B93k75, B187k5, B500k, B1M5, B3M, B6M, B12M
};
constexpr std::size_t kGsdBaudCount = 11;

// Ext_User_Prm_Data_Const(Offset) = Bytes.
struct GsdPrmConst {
    std::uint32_t Offset = 0;
    std::vector<std::uint8_t> Bytes;
    bool operator==(const GsdPrmConst&) const = default;
};

// Ext_User_Prm_Data_Ref(Offset) = Definition.
struct GsdPrmRef {
    std::uint32_t Offset = 0;
    std::uint32_t Definition = 0;
    bool operator==(const GsdPrmRef&) const = default;
};

enum class GsdPrmType : std::uint8_t {
    Bit, BitArea, Unsigned8, Unsigned16, Unsigned32, Signed8, Signed16, Signed32
};

// ExtUserPrmData = Number "Name", its type line and Prm_Text_Ref. For Bit
// FirstBit = LastBit; for BitArea the bits inside the byte at the offset.
// An enumeration of allowed values ("1,2,4") is kept as its least and
// greatest value.
struct GsdPrmDefinition {
    std::uint32_t Number = 0;
    std::string Name;
    GsdPrmType Type = GsdPrmType::Unsigned8;
    std::uint8_t FirstBit = 0;
    std::uint8_t LastBit = 7;
    std::int64_t Default = 0;
    std::int64_t Min = 0;
    std::int64_t Max = 0;
    std::optional<std::uint32_t> TextRef;
    bool operator==(const GsdPrmDefinition&) const = default;
};

// Text(Value) = "Text" in a PrmText list, Value(Value) = "Text" in a
// diagnosis area.
struct GsdValueText {
    std::int64_t Value = 0;
    std::string Text;
    bool operator==(const GsdValueText&) const = default;
};

struct GsdTextList {
    std::uint32_t Number = 0;
    std::vector<GsdValueText> Texts;
    bool operator==(const GsdTextList&) const = default;
};

// Unit_Diag_Bit(Bit) (WhenClear false) or Unit_Diag_Not_Bit(Bit).
struct GsdDiagBit {
    std::uint32_t Bit = 0;
    bool WhenClear = false;
    std::string Text;
    bool operator==(const GsdDiagBit&) const = default;
};

// Unit_Diag_Area = FirstBit-LastBit, its Value lines, Unit_Diag_Area_End.
struct GsdDiagArea {
    std::uint32_t FirstBit = 0;
    std::uint32_t LastBit = 0;
    std::vector<GsdValueText> Values;
    bool operator==(const GsdDiagArea&) const = default;
};

// Channel_Diag(ErrorType) = "Text".
struct GsdChannelDiag {
    std::uint32_t ErrorType = 0;
    std::string Text;
    bool operator==(const GsdChannelDiag&) const = default;
};

// The lines of one keyword the reader passed over, the keyword as first
// spelled in the file (keywords compare without regard to case).
struct GsdSkipped {
    std::string Keyword;
    std::uint32_t Lines = 0;
    bool operator==(const GsdSkipped&) const = default;
};

// Module = "Name" Identifiers ... EndModule.
struct GsdModule {
    std::string Name;
    std::vector<std::uint8_t> Identifiers;
    std::optional<std::uint32_t> Reference;    // the bare number on the line after Module
    std::optional<std::uint32_t> PrmDataLen;   // Ext_Module_Prm_Data_Len
    std::vector<GsdPrmConst> Consts;           // offsets from the module's first parameter byte
    std::vector<GsdPrmRef> Refs;
    bool operator==(const GsdModule&) const = default;
};

struct GsdDevice {
    std::string SourceName;  // the file (or the name given for a text), for messages
    std::string VendorName;
    std::string ModelName;
    std::optional<std::uint16_t> IdentNumber;
    std::optional<std::uint8_t> StationType;
    bool Dpv1Slave = false;
    bool ModularStation = false;
    std::optional<std::uint32_t> MaxModule;
    std::array<std::optional<std::uint16_t>, kGsdBaudCount> MaxTsdr;  // bit times, by GsdBaud
    std::optional<std::uint32_t> MinSlaveInterval;  // Min_Slave_Intervall, units of 100 us
    std::optional<std::uint32_t> UserPrmDataLen;
    std::vector<std::uint8_t> UserPrmData;
    std::optional<std::uint32_t> MaxUserPrmDataLen;
    std::vector<GsdPrmConst> Consts;  // offsets from Set_Prm byte 7
    std::vector<GsdPrmRef> Refs;
    std::vector<GsdPrmDefinition> Definitions;  // sorted by Number (file order among equals)
    std::vector<GsdTextList> TextLists;         // sorted by Number (file order among equals)
    std::vector<GsdDiagBit> DiagBits;
    std::vector<GsdDiagArea> DiagAreas;
    std::vector<GsdChannelDiag> ChannelDiags;
    std::vector<GsdModule> Modules;
    std::uint32_t SkippedLines = 0;  // lines passed over: of keywords not read, and inside unreadable blocks
    std::vector<GsdSkipped> Skipped;  // those lines by keyword, in order of first appearance; at most
                                      // kGsdMaxSkippedKeywords (the lines of more still count above)
    GsdWarnings Warnings;
    bool operator==(const GsdDevice&) const = default;
};

}  // namespace zelmot
