// Reading one device file into a GsdDevice: from a file, or from a text in
// memory. Lines it cannot read become warnings in the device and the
// reading goes on; only a text that is no device file at all (its first
// line that is not a comment is not #Profibus_DP) or a file that cannot be
// opened is refused.
#pragma once

#include <string>
#include <string_view>

#include "common/outcome.h"
#include "gsd/gsd_device.h"

namespace zelmot {

// Resets device and reads the text; name stands for the file in messages.
Outcome ReadGsdText(std::string_view text, const std::string& name, GsdDevice& device);

// Resets device and reads the file at path (named as given in messages).
Outcome ReadGsdFile(const std::string& path, GsdDevice& device);

}  // namespace zelmot
