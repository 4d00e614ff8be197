// The slaves' device files in words: slots, modules and on what they were
// identified, parameters against their defaults, the master's configuration
// against the slave's own, the response check, the device's names for a
// diagnosis and an event, and the text report's section on the slaves'
// devices.
#pragma once

#include <string>
#include <string_view>

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "gsd/gsd_identify.h"
#include "report/dp_words.h"

namespace zelmot {

// What a slot holds: "'16 bytes in' (16/0 bytes)", "one of 4: 2DO A, 2DO
// B, 2DO C (0/1 bytes)", "empty slot", "no GSD module matches bytes 3-4
// (0x13 0x21)".
std::string GsdSlotWords(const GsdSlaveMatch& match, const DpBytes& cfg, const GsdSlotId& slot);

// Every slot, "slot 0: '16 bytes in' (16/0 bytes)", separator between
// them; "no Chk_Cfg" before the slave answered one.
std::string GsdModulesWords(const GsdSlaveMatch& match, const DpBytes& cfg, std::string_view separator);

// On what the modules were identified ("by configuration and parameter
// bytes"), empty before a Chk_Cfg.
std::string GsdBasisOf(const GsdSlaveMatch& match);

// The device file: which of several with the slave's ident was used and
// what the reader passed over in it ("chosen of 2 GSD files with this
// ident: its modules fit; skipped: 212 lines of 14 keywords"); empty when
// there is nothing to say.
std::string GsdFileWords(const GsdSlaveMatch& match);

// The parameters against their defaults: the counts, then those set
// otherwise and those that cannot be read, separator between them ("2 set,
// 61 at their default: slot 3: Input delay = 2 (3 ms), ..."); "no Set_Prm"
// before the slave answered one, "none named" when the file names none.
std::string GsdParamsWords(const GsdSlaveMatch& match, std::string_view separator);

// The master's configuration (its last Chk_Cfg) against the slave's own
// (its last Get_Cfg answer) in dp::CfgComparisonWords' words, each side's
// differing bytes followed by the module the device file names for that
// slot for certain; empty unless the slave answered both.
std::string CfgAgainstSlaveWords(const DpSlaveStats& dp, const GsdSlaveMatch& match);

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

// "5 devices read", "5 devices read, 2 more revisions": the devices by
// Ident_Number, and the further files of an ident read before.
std::string GsdReadWords(const GsdMatches& matches);

// The text report's section on the slaves' devices: each DP slave with a
// device, its modules, parameters and response check, then the slaves no
// device file names; empty without Gsd= words.
std::string GsdSlavesSection(const BusStats& stats, const GsdMatches& matches);

}  // namespace zelmot
