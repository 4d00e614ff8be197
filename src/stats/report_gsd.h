// The device files of a run's DP slaves, matched when the report is built:
// each DP slave's device by the Ident_Number it reports, the slots its last
// configuration splits into, its last parameters named, and its measured
// response times held against the device's MaxTsdr. Everything here is
// derived from what the DP analysis kept; nothing looks at a frame. The
// reports read the matches for the "gsd" objects, the slaves' device
// section of the text report and the device table of the page, and for
// diagnoses in the device's words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dp/dp_diag.h"
#include "gsd/gsd_config_match.h"
#include "gsd/gsd_diag_texts.h"
#include "gsd/gsd_library.h"
#include "gsd/gsd_user_params.h"
#include "stats/bus_stats.h"
#include "stats/dp_words.h"
#include "stats/report_dp.h"

namespace zelmot {

struct GsdSlaveMatch {
    const GsdDevice* Device = nullptr;  // null: no device file names the slave's ident
    bool CfgSeen = false;               // Slots split the last Chk_Cfg answered positively
    std::vector<GsdSlot> Slots;
    bool PrmSeen = false;               // Params name the last Set_Prm answered positively
    std::vector<GsdParamValue> Params;
    std::optional<std::uint16_t> MaxTsdrBits;  // at the run's baud
    std::uint64_t SlowAnswers = 0;             // responses slower than MaxTsdrBits (see SlowAnswerCount)
};

// The matches of a run. Without Gsd= words Given is false and no slave has
// a device; the reports then look as they do without device files.
struct GsdMatches {
    bool Given = false;
    std::size_t DevicesRead = 0;
    std::vector<GsdSlaveMatch> Slaves = std::vector<GsdSlaveMatch>(kStationCount);
};

// The ident a slave is known by: that of its last diagnosis, else that of
// its last Set_Prm; none when it sent neither.
std::optional<std::uint16_t> SlaveIdent(const DpSlaveStats& slave);

// Matches every DP slave of stats against library. The matches point into
// library, which must outlive them.
GsdMatches MatchGsdDevices(const GsdLibrary& library, bool given, const BusStats& stats);

// Responses whose gap exceeds limitBits at baud bit/s, read from the
// buckets as the percentiles are (a bucket counts by its middle); never 0
// when the maximum exceeds the limit, always 0 when it does not.
std::uint64_t SlowAnswerCount(const DurationStats& response, std::uint16_t limitBits, std::uint32_t baud);

// The module in a slot (a diagnosis' module number), or null.
const GsdModule* GsdSlotModule(const GsdSlaveMatch& match, std::size_t slot);

// The unit diagnosis texts that apply to a device-related block of a DP-V0
// slave: those whose bits begin inside it, bits counted from the first
// byte after the six standard ones; none for DP-V1 status and alarms.
std::vector<GsdDiagText> GsdBlockTexts(const GsdSlaveMatch& match, const dp::DiagBlock& block);

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

// The device's notes on a diagnosis block: "gsd_modules" beside an
// identifier block's modules, "gsd_module" and "gsd_error_text" in a
// channel block, "gsd_texts" in a DP-V0 device block; empty without a
// device.
DiagBlockNotes GsdBlockNotes(const GsdSlaveMatch& match);

// The text report's section on the slaves' devices: each DP slave with a
// device, its modules, parameters and response check, then the slaves no
// device file names; empty without Gsd= words.
std::string GsdSlavesSection(const BusStats& stats, const GsdMatches& matches);

// A station's "gsd" object: null without a device.
ReportDocument GsdStationJson(const GsdSlaveMatch& match, const StationStats& station);

}  // namespace zelmot
