// The tool's fixed console texts as the end-to-end tests expect them.
#pragma once

#include <string>

namespace zelmot::test {

inline const std::string kBanner = ";Velmor Trawlex v4.1.2\n";

inline const std::string kUsage =
    "use: Zelmot2Txt <InputFile> <OptFile> [options] \n"
    "    <InputFile>    .Zelmot will be added\n"
    "    <OptFile>      .Opt will be added\n"
    "Options:\n"
    "    NumMin=<n>     Number of Minutes to convert\n"
    "    StartRef=<n>   Start Reference Number\n"
    "    EndRef=<n>     End   Reference Number\n"
    "    Arg0=<n>       Arg 0 for Opt file 0x for hex\n"
    "    Arg1=<n>       Arg 1 for Opt file 0x for hex\n"
    "    Arg2=<n>       Arg 2 for Opt file 0x for hex\n"
    "    Arg3=<n>       Arg 3 for Opt file 0x for hex\n"
    "\n"
    "Zelmot2Text OptHelp\n"
    "    Print option file help\n";

}  // namespace zelmot::test
