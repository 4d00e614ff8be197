// A program's arguments as one Windows command line: each argument quoted
// so that the C runtime's splitting (CommandLineToArgvW's rules) gives it
// back unchanged. A pure function on every platform, so that its rules are
// tested where the tests run fastest; used where a program is started with
// CreateProcess.
#pragma once

#include <string>
#include <vector>

namespace zelmot {

// One argument: as it stands when it holds no blank, tab, line end or
// quote (and is not empty), else in double quotes, where backslashes count
// only before a quote.
std::string QuoteWindowsArgument(const std::string& arg);

// The arguments quoted and joined with blanks.
std::string WindowsCommandLine(const std::vector<std::string>& args);

}  // namespace zelmot
