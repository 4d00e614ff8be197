// The words of the DP analysis, for every report alike: the names of the
// states, the event kinds and the negative answers (one table each, in the
// decoders' NameTable form), and a diagnosis and an event told in plain
// words from the decoders' tables ("Ext_Diag; module 8 channel 1 input:
// short circuit", "slave 7: data exchange -> offline").
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "analysis/dp_stats.h"
#include "dp/dp_diag.h"
#include "dp/dp_names.h"

namespace zelmot {

// Keys: DpState (states: "data_exchange"; state_words: "data exchange"),
// DpEventKind (event_kinds: "ident_mismatch"), dp::Negative
// (negative_keys: "UE", "RR", "RS").
extern const dp::NameTable kDpStateNames;
extern const dp::NameTable kDpStateWords;
extern const dp::NameTable kDpEventNames;
extern const dp::NameTable kNegativeKeys;

inline std::string_view DpStateName(DpState state) {
    return dp::LookupName(kDpStateNames, static_cast<unsigned>(state));
}
inline std::string_view DpEventName(DpEventKind kind) {
    return dp::LookupName(kDpEventNames, static_cast<unsigned>(kind));
}
inline std::string_view NegativeKey(dp::Negative negative) {
    return dp::LookupName(kNegativeKeys, static_cast<unsigned>(negative));
}

// The names of the bits of byte that table names, joined by separator.
std::string BitWords(const dp::NameTable& table, std::uint8_t byte, std::string_view separator);

// The three status bytes of a diagnosis with the table naming each one's bits.
struct StatusByte {
    const dp::NameTable* Table = nullptr;
    std::uint8_t Byte = 0;
};
std::array<StatusByte, 3> StatusBytes(const dp::SlaveDiag& diag);

// "0x82C1"
std::string IdentText(std::uint16_t ident);
// "0x02"
std::string ByteText(std::uint8_t byte);
// Bytes as plain hex without blanks, lower case: "020500ff82c1".
std::string HexText(fdl::Bytes bytes);

// What a description of the slave adds to its diagnosis in words; each
// part may be empty, and each gives "" where it knows nothing: the name of
// module m ("8 DI 24V", quoted after the module's number), the text of a
// channel error type (before the decoders' name of it), and the texts that
// apply to a device-related block (after its words).
struct DiagNames {
    std::function<std::string(std::size_t module)> Module;
    std::function<std::string(std::uint8_t errorType)> ChannelError;
    std::function<std::string(const dp::DiagBlock& block)> Device;
};

// A Slave_Diag response's data unit in words: the status bits, then each
// block of the extended diagnosis, "; " between them. dpv1: device blocks
// are DP-V1 status and alarm blocks. cfgSlots: the slave's configured
// slots when it came (DpCfgSlots), by which a module status block is
// summed up ("all 3 modules OK", dp_status_summary.h).
std::string DiagWords(fdl::Bytes diag, bool dpv1, DpCfgSlots cfgSlots, const DiagNames& names = {});

// An event in words, after its station: "slave 7: ...", "master 1: ...";
// slaveName, when not empty, follows a slave's address in parentheses.
std::string DpEventWords(const DpEvents& events, const DpEvent& event, const DiagNames& names = {},
                         std::string_view slaveName = {});

}  // namespace zelmot
