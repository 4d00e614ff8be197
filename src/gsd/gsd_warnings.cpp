// The bounded list of a device file's warnings.
#include <utility>

#include "gsd/gsd_device.h"

namespace zelmot {

void AddGsdWarning(GsdWarnings& warnings, std::string text) {
    if (warnings.Texts.size() < kGsdMaxWarnings)
        warnings.Texts.push_back(std::move(text));
    else
        ++warnings.More;
}

}  // namespace zelmot
