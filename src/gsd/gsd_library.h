// A set of device files read at start-up: one file, or the device files of
// a folder, keyed by Ident_Number.
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
    std::vector<GsdDevice> Devices;  // in reading order, one per Ident_Number
    GsdWarnings Warnings;            // files refused or not used; each device keeps its own
};

// True for a name ending in ".gs" and one more character (.gsd, .gse,
// .gsg, ...), letters compared without regard to case.
bool IsGsdFileName(std::string_view name);

// Reads path into library, after the devices it holds: a device file, or a
// folder whose device files (by name, not in subfolders) are read in name
// order. A device whose Ident_Number was read before, or that has none, is
// not used (a warning). Fails when path cannot be read, when a file given
// by name is no device file, or when a folder holds no device file; the
// library keeps what it held then.
Outcome AddGsdLibrary(const std::string& path, GsdLibrary& library);

// Resets library and reads path as AddGsdLibrary does.
Outcome ReadGsdLibrary(const std::string& path, GsdLibrary& library);

// The device with this Ident_Number, or null.
const GsdDevice* FindGsdDevice(const GsdLibrary& library, std::uint16_t ident);

}  // namespace zelmot
