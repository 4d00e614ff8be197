// A set of device files read at start-up: one file, or the device files of
// a folder, keyed by Ident_Number; later files with an ident read before
// are kept as its revisions, for the module identification to choose from
// (gsd_identify.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/outcome.h"
#include "gsd/gsd_device.h"

namespace zelmot {

constexpr std::size_t kGsdMaxDevices = 1024;

struct GsdLibrary {
    std::vector<GsdDevice> Devices;    // in reading order, the first one read per Ident_Number
    std::vector<GsdDevice> Revisions;  // in reading order, those with an Ident_Number read before
    GsdWarnings Warnings;              // files refused or not used; each device keeps its own
};

// True for a name ending in ".gs" and one more character (.gsd, .gse,
// .gsg, ...), letters compared without regard to case.
bool IsGsdFileName(std::string_view name);

// Reads path into library, after the devices it holds: a device file, or a
// folder whose device files (by name, not in subfolders) are read in name
// order. A device whose Ident_Number was read before is kept among the
// revisions (with a warning); one that has none is not used (a warning).
// At most kGsdMaxDevices devices are kept, revisions included. Fails when path cannot be read, when a file given
// by name is no device file, or when a folder holds no device file; the
// library keeps what it held then.
Outcome AddGsdLibrary(const std::string& path, GsdLibrary& library);

// Resets library and reads path as AddGsdLibrary does.
Outcome ReadGsdLibrary(const std::string& path, GsdLibrary& library);

// The device with this Ident_Number read first, or null.
const GsdDevice* FindGsdDevice(const GsdLibrary& library, std::uint16_t ident);

// Every device with this Ident_Number, in reading order.
std::vector<const GsdDevice*> FindGsdDevices(const GsdLibrary& library, std::uint16_t ident);

}  // namespace zelmot
