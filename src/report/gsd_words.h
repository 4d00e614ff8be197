// The slaves' device files in words: slots, modules, parameters, the
// response check, the device's names for a diagnosis and an event, and the
// text report's section on the slaves' devices.
#pragma once

#include <string>
#include <string_view>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "report/dp_words.h"

namespace zelmot {

// What a slot holds: "'16 bytes in' (16/0 bytes)", "empty slot",
// "no GSD module matches bytes 3-4 (0x13 0x21)".
std::string GsdSlotWords(const GsdSlaveMatch& match, const DpBytes& cfg, const GsdSlot& slot);

// Every slot, "slot 0: '16 bytes in' (16/0 bytes)", separator between
// them; "no Chk_Cfg" before the slave answered one.
std::string GsdModulesWords(const GsdSlaveMatch& match, const DpBytes& cfg, std::string_view separator);

// Every parameter named, separator between them; "no Set_Prm" before the
// slave answered one.
std::string GsdParamsWords(const GsdSlaveMatch& match, std::string_view separator);

// A parameter: "Input filter = 1 (10 ms)", "Warning limit: not in the
// Set_Prm", "definition 7 (not in the GSD file)"; a module's own after
// "slot n ".
std::string GsdParamWords(const GsdParamValue& value);

// "answers in up to 412.0 bit times, GSD allows 400 (3 answers slower)",
// "answers in up to 104.7 bit times, within the GSD's 800"; empty without
// a limit or an answer.
std::string GsdResponseWords(const GsdSlaveMatch& match, const DurationStats& response, std::uint32_t baud);

// "Vendor Model" of the device, empty without one.
std::string GsdDeviceName(const GsdSlaveMatch& match);

// The device's words for a slave's diagnosis; empty without a device.
DiagNames GsdDiagNames(const GsdSlaveMatch& match);

// An event in words with the names of its slave's device: "slave 9
// (Vendor Model): module 2 '8 DI 24V' channel 1 input: short circuit".
std::string GsdEventWords(const DpEvents& events, const DpEvent& event, const GsdMatches& matches);

// The text report's section on the slaves' devices: each DP slave with a
// device, its modules, parameters and response check, then the slaves no
// device file names; empty without Gsd= words.
std::string GsdSlavesSection(const BusStats& stats, const GsdMatches& matches);

}  // namespace zelmot
