// PcapToolMain: the start-up sequence of zelmot2pcap.
#include "pcap/pcap_tool.h"

#include <string>

#include "pcap/export_run.h"
#include "pcap/export_settings.h"
#include "run/command_line.h"
#include "run/platform_io.h"

namespace zelmot {
namespace {

constexpr const char kUsage[] =
    "use: zelmot2pcap <InputFile> <OutFile> [options]\n"
    "    <InputFile>    .Zelmot will be added\n"
    "    <OutFile>      the pcapng or pcap file to write; - for standard output\n"
    "Options:\n"
    "    NumMin=<n>     Number of Minutes to export (all: until a file is missing)\n"
    "    StartRef=<n>   Start Reference Number\n"
    "    EndRef=<n>     End   Reference Number\n"
    "    Format=<f>     pcapng (default) or pcap (nanosecond time stamps)\n"
    "    Link=<l>       profibus (default, link type 257) or user0 (link type 147,\n"
    "                   a pseudo-header with the receive status before each frame)\n"
    "    Start=<t>      YYYY-MM-DDTHH:MM:SS (UTC): time of the first exported frame\n"
    "    Filter=<opt>   export only the frames the ShowOnly equation of <opt>.opt passes\n"
    "    Findings=yes   the findings of zelmot-stats as comments on the frames they cite\n"
    "    Arg0=<n>       Arg 0 for Opt file 0x for hex\n"
    "    Arg1=<n>       Arg 1 for Opt file 0x for hex\n"
    "    Arg2=<n>       Arg 2 for Opt file 0x for hex\n"
    "    Arg3=<n>       Arg 3 for Opt file 0x for hex\n";

}  // namespace

int PcapToolMain(int argc, const char* const* argv, std::FILE* console, std::FILE* progress) {
    if (argc < 3) return ShowUsage(kUsage, console);
    ExportSettings settings;
    for (int i = 3; i < argc; ++i)
        if (!ParseExportOption(argv[i], settings, console)) return ShowUsage(kUsage, console);
    if (!CheckNumMin(settings.Run, console) || !CheckExportOptions(settings, console)) return ShowUsage(kUsage, console);
    const std::string captureName = argv[1];
    if (!CheckCaptureName(captureName, console)) return ShowUsage(kUsage, console);
    DeriveCaptureNames(captureName, settings.Run);
    settings.Progress = progress;
    settings.OutputName = argv[2];
    if (settings.OutputName.empty()) {
        std::fputs("Invalid OutFile - empty name\n", console);
        return ShowUsage(kUsage, console);
    }
    ReportBrokenPipeAsWriteError();
    ExportResult result = RunExport(settings);
    if (!result.Result.IsOk()) {
        std::fprintf(console, "\n%s\n", result.Result.Text.c_str());
        return kExitFailure;
    }
    std::fprintf(console, "\nSuccess - Created: %s (%u of %u frames)\n", OutputLabel(settings).c_str(),
                 result.PacketsWritten, result.FramesRead);
    return kExitSuccess;
}

}  // namespace zelmot
