// ToolMain: the start-up sequence of the command line.
#include "driver/tool_main.h"

#include <cstring>
#include <string>

#include "common/version.h"
#include "driver/conversion_run.h"
#include "options/option_help.h"

namespace zelmot {
namespace {

constexpr const char kBanner[] = ";Velmor Trawlex v" ZELMOT_VERSION "\n";

constexpr const char kUsage[] =
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

}  // namespace

int ToolMain(int argc, const char* const* argv, std::FILE* console) {
    std::fputs(kBanner, console);
    if (argc < 3) {
        if (argc == 2 && std::strcmp(argv[1], "OptHelp") == 0) {
            std::fwrite(kOptionHelpText.data(), 1, kOptionHelpText.size(), console);
            return kExitHelp;
        }
        return ShowUsage(kUsage, console);
    }
    ConversionSettings run;
    for (int i = 3; i < argc; ++i)
        if (!ParseCommandOption(argv[i], run.Run, console)) return ShowUsage(kUsage, console);
    if (!CheckNumMin(run.Run, console)) return ShowUsage(kUsage, console);
    std::string captureName = argv[1];
    if (!CheckCaptureName(captureName, console)) return ShowUsage(kUsage, console);
    DeriveConversionNames(captureName, argv[2], run);
    Outcome result = RunConversion(run, console);
    if (!result.IsOk()) {
        std::fprintf(console, "\n%s\n", result.Text.c_str());
        return kExitFailure;
    }
    std::fprintf(console, "\nSuccess - Created: %s\n", run.OutputName.c_str());
    return kExitSuccess;
}

}  // namespace zelmot
