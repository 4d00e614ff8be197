// The slaves' device files in the report document: a station's "gsd"
// object and the device's notes on the blocks of a diagnosis.
#pragma once

#include "analysis/bus_stats.h"
#include "analysis/gsd_match.h"
#include "report/dp_json.h"
#include "report/report_document.h"

namespace zelmot {

// The device's notes on a diagnosis block: "gsd_modules" beside an
// identifier block's modules, "gsd_module" and "gsd_error_text" in a
// channel block, "gsd_texts" in a device-related block (a DP-V0 device
// block, a status or an alarm block); empty without a device.
DiagBlockNotes GsdBlockNotes(const GsdSlaveMatch& match);

// A station's "gsd" object: null without a device.
ReportDocument GsdStationJson(const GsdSlaveMatch& match, const StationStats& station);

}  // namespace zelmot
