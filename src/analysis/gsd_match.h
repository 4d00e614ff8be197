// The device files of a run's DP slaves, matched once reading has ended:
// each DP slave's device by the Ident_Number it reports (of several files
// with that ident the one whose modules fit, gsd_identify.h), the modules
// in the slots of its last configuration identified by its identifier and
// parameter bytes, its last parameters named, and its measured response
// times held against the device's MaxTsdr. Everything here is derived from
// what the DP analysis kept; nothing looks at a frame. The reports put the
// matches into words.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/bus_stats.h"
#include "dp/dp_diag.h"
#include "gsd/gsd_diag_texts.h"
#include "gsd/gsd_identify.h"
#include "gsd/gsd_library.h"
#include "gsd/gsd_user_params.h"

namespace zelmot {

struct GsdSlaveMatch {
    const GsdDevice* Device = nullptr;  // null: no device file names the slave's ident
    // The file chosen (Choice.Device is Device) and the identification of
    // the modules of the last Chk_Cfg answered positively, by the last
    // Set_Prm answered positively where there is one; without a Chk_Cfg it
    // has no slots.
    GsdChoice Choice;
    bool CfgSeen = false;
    bool PrmSeen = false;               // Params name the last Set_Prm answered positively
    std::vector<GsdParamValue> Params;
    std::optional<std::uint16_t> MaxTsdrBits;  // at the run's baud
    std::uint64_t SlowAnswers = 0;             // responses slower than MaxTsdrBits (see SlowAnswerCount)
};

// The matches of a run. Without Gsd= words Given is false and no slave has
// a device; the reports then look as they do without device files.
struct GsdMatches {
    bool Given = false;
    std::size_t DevicesRead = 0;    // by Ident_Number: a device read in several files counts once
    std::size_t RevisionsRead = 0;  // the further files with an ident read before
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

// The slots of the identification, none before a Chk_Cfg.
std::span<const GsdSlotId> GsdSlots(const GsdSlaveMatch& match);

// The module in a slot (a diagnosis' module number) when the slot holds
// one module for certain, else null (an ambiguous slot is named by no
// guess).
const GsdModule* GsdSlotModule(const GsdSlaveMatch& match, std::size_t slot);

// The unit diagnosis texts that apply to a device-related block (a DP-V0
// manufacturer block, a status or an alarm block), bits counted as device
// files count them: from the byte after the header (GsdDeviceBlockTexts).
// In a status or alarm block bits 0-23 are its type, slot and specifier,
// which the block's own words tell: no text of the file applies there. In
// a module status block a clear bit is a module that is OK (state 0), so
// only the texts of bits that are set and of areas whose value is not 0
// apply: an all-OK block gets none.
std::vector<GsdDiagText> GsdBlockTexts(const GsdSlaveMatch& match, const dp::DiagBlock& block);

}  // namespace zelmot
