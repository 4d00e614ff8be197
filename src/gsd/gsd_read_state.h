// What the reading of one device file keeps between its lines: the device
// being filled, the block that is open (Module, ExtUserPrmData, PrmText or
// Unit_Diag_Area, never nested) and the limits already warned about; and
// the keyword table the reader dispatches through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gsd/gsd_device.h"
#include "gsd/gsd_syntax.h"

namespace zelmot {

enum class GsdBlock : std::uint8_t { None, Module, Definition, TextList, DiagArea };

// The kinds of bounded lists, one warning each when full.
enum class GsdLimit : std::uint8_t {
    Modules, Definitions, TextLists, ValueTexts, PrmEntries, DiagBits, DiagAreas, ChannelDiags
};

struct GsdReadState {
    GsdDevice* Device = nullptr;
    std::uint32_t Line = 0;          // the line being read
    GsdBlock Open = GsdBlock::None;
    std::uint32_t OpenLine = 0;      // where the open block began
    bool Ignoring = false;           // the open block's first line was unreadable: its lines are passed over
    bool AfterModuleLine = false;    // the line before was a Module line (a bare number is its reference)
    bool DefinitionTyped = false;    // the open ExtUserPrmData has its type line
    std::size_t PrmEntries = 0;      // constant blocks and references kept, device and modules
    std::size_t ValueTexts = 0;      // Text and Value lines kept
    std::uint32_t LimitsWarned = 0;  // a bit per GsdLimit
    std::vector<std::uint32_t> TextRefLines;  // per definition kept, the line of its Prm_Text_Ref (0: none)
};

// Adds "<file>:<line>: what" to the device's warnings.
void WarnGsd(GsdReadState& state, std::string_view what);

// A keyword's reader: false when the line could not be read (it has warned).
using GsdKeywordReader = bool (*)(GsdReadState& state, const GsdStatement& statement, std::uint8_t tag);

struct GsdKeyword {
    std::string_view Name;
    GsdKeywordReader Read;
    std::uint8_t Tag;
    GsdBlock Opens;  // the block this keyword begins, if any
    GsdBlock Ends;   // the block this keyword closes, if any
    GsdBlock Within; // the block this keyword must stand in, if any
};

// The entry of a keyword (compared without regard to case), or null.
const GsdKeyword* FindGsdKeyword(std::string_view name);

// The block's name as a file spells its opening keyword, and its end keyword.
std::string_view GsdBlockName(GsdBlock block);
std::string_view GsdBlockEnd(GsdBlock block);

// Closes the open block: an ExtUserPrmData without its type line is dropped.
void CloseGsdBlock(GsdReadState& state);

}  // namespace zelmot
