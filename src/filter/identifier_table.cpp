// IdentifierTable: the constant table of equation names and their lookup.
#include "filter/identifier_table.h"

#include <array>

#include "common/ascii.h"
#include "fdl/fdl_codes.h"
#include "fdl/fdl_names.h"
#include "filter/opcodes.h"

namespace zelmot {
namespace {

// Every name but the status bits, whose names come from kStatusBits.
constexpr std::array<IdentifierEntry, 48> kOtherIdentifiers{{
    {"STSOK", kConstantCode, 0x00},
    {"SD1", kConstantCode, fdl::SD1},    {"SD2", kConstantCode, fdl::SD2},    {"SD3", kConstantCode, fdl::SD3},
    {"SD4", kConstantCode, fdl::SD4},    {"SC", kConstantCode, fdl::SC},     {"ED", kConstantCode, fdl::ED},
    {"SAPEXT", kConstantCode, fdl::SapExtBit}, {"TYPMSK", kConstantCode, 0xCF}, {"MTM1", kConstantCode, 0x40},
    {"MTM2", kConstantCode, 0xC0},   {"MSRD", kConstantCode, 0x41},   {"MSDN", kConstantCode, 0x42},
    {"SDAL", kConstantCode, 0x43},   {"SDNL", kConstantCode, 0x44},   {"SDAH", kConstantCode, 0x45},
    {"SDNH", kConstantCode, 0x46},   {"RDD", kConstantCode, 0x47},    {"GSRD", kConstantCode, 0x48},
    {"RFDL", kConstantCode, 0x49},   {"MDLY", kConstantCode, 0x4A},   {"MKEP", kConstantCode, 0x4B},
    {"SRDL", kConstantCode, 0x4C},   {"SRDH", kConstantCode, 0x4D},   {"RIR", kConstantCode, 0x4E},
    {"RLSR", kConstantCode, 0x4F},   {"OK", kConstantCode, 0x00},     {"UE", kConstantCode, 0x01},
    {"RR", kConstantCode, 0x02},     {"RS", kConstantCode, 0x03},     {"DL", kConstantCode, 0x08},
    {"NR", kConstantCode, 0x09},     {"DH", kConstantCode, 0x0A},     {"RD", kConstantCode, 0x0C},
    {"RDH", kConstantCode, 0x0D},    {"STS", CodeLetter(Opcode::STS), 0},                 {"LEN", CodeLetter(Opcode::LEN), 0},
    {"SD", CodeLetter(Opcode::SD), 0},                  {"DA", CodeLetter(Opcode::ADDRESS), 0},                  {"SA", CodeLetter(Opcode::ADDRESS), 1},
    {"FC", CodeLetter(Opcode::FC), 0},                  {"DSAP", CodeLetter(Opcode::DSAP), 0},                {"SSAP", CodeLetter(Opcode::SSAP), 0},
    {"DataByte", CodeLetter(Opcode::DataByte), 0},            {"DataWord", CodeLetter(Opcode::DataWord), 0},            {"CmdArg", CodeLetter(Opcode::CmdArg), 0},
    {"GapTme", CodeLetter(Opcode::GapTme), 0},              {"GapAft", CodeLetter(Opcode::GapAft), 0},
}};

constexpr std::array<IdentifierEntry, kStatusBitCount + kOtherIdentifiers.size()> kIdentifierTable = [] {
    std::array<IdentifierEntry, kStatusBitCount + kOtherIdentifiers.size()> table{};
    std::size_t n = 0;
    for (const StatusBitName& bit : kStatusBits) table[n++] = {bit.Keyword, kConstantCode, bit.Mask};
    for (const IdentifierEntry& entry : kOtherIdentifiers) table[n++] = entry;
    return table;
}();

}  // namespace

const IdentifierEntry* LookupIdentifier(std::string_view name) {
    for (const IdentifierEntry& entry : kIdentifierTable) {
        if (ascii::EqualsNoCase(entry.Name, name)) return &entry;
    }
    return nullptr;
}

}  // namespace zelmot
