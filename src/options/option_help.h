// The option help text printed by the command word OptHelp: 127 lines, each
// a ';' comment or empty, so that saved to a file it is a valid option file.
#pragma once

#include <string_view>

namespace zelmot {

extern const std::string_view kOptionHelpText;

}  // namespace zelmot
