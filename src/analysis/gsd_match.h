// The device files of a run's DP slaves, matched once reading has ended:
// each DP slave's device by the Ident_Number it reports, the slots its last
// configuration splits into, its last parameters named, and its measured
// response times held against the device's MaxTsdr. Everything here is
// derived from what the DP analysis kept; nothing looks at a frame. The
// reports put the matches into words.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/bus_stats.h"
#include "dp/dp_diag.h"
#include "gsd/gsd_config_match.h"
#include "gsd/gsd_diag_texts.h"
#include "gsd/gsd_library.h"
#include "gsd/gsd_user_params.h"

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

}  // namespace zelmot
