// zelmot-gen: writes per-minute capture files of synthetic PROFIBUS DP
// traffic for trying out and benchmarking the converter. See --help.
#include <cstdio>
#include <string>

#include "gen_options.h"
#include "gen_run.h"

namespace {

int Fail(const std::string& message, bool withHint) {
    std::string text = "zelmot-gen: " + message + "\n";
    if (withHint) text += "Try 'zelmot-gen --help'.\n";
    std::fputs(text.c_str(), stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    zelmot::GenOptions options;
    zelmot::Outcome parsed = zelmot::ParseGenOptions(argc, argv, options);
    if (!parsed.IsOk()) return Fail(parsed.Text, true);
    if (options.HelpWanted) {
        std::fputs(zelmot::GenHelpText(), stdout);
        return 0;
    }
    zelmot::Outcome run = zelmot::RunGenerator(options);
    if (!run.IsOk()) return Fail(run.Text, false);
    if (std::fflush(stdout) != 0) return Fail("cannot write the summary to standard output", false);
    return 0;
}
