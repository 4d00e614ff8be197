// Running one conversion input through ToolMain and checking its result;
// for some inputs a second run in the same process, which must match.
#include "conversion_harness.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/tool_main.h"
#include "fuzz_sandbox.h"

namespace zelmot::fuzz {
namespace {

const std::string kBanner = ";Velmor Trawlex v4.1.2\n";

[[noreturn]] void Breach(const char* what, const std::string& console) {
    std::fprintf(stderr, "zelmot fuzz: %s\nconsole:\n%s\n", what, console.c_str());
    std::abort();
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Writes the capture files; returns how many there are.
unsigned WriteCaptureFiles(const ConversionInput& input, const std::string& first,
                           const std::string& second) {
    if ((input.flags & kTwoFiles) == 0) {
        WriteSandboxFile(first, input.capture);
        return 1;
    }
    std::size_t cut = input.split % (input.capture.size() + 1);
    WriteSandboxFile(first, input.capture.substr(0, cut));
    WriteSandboxFile(second, input.capture.substr(cut));
    return 2;
}

std::string RunTool(const std::vector<std::string>& args, int& status) {
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    char* buffer = nullptr;
    std::size_t length = 0;
    std::FILE* console = ::open_memstream(&buffer, &length);
    if (console == nullptr) std::abort();
    status = ToolMain(static_cast<int>(argv.size()), argv.data(), console);
    std::fclose(console);
    std::string text(buffer, length);
    std::free(buffer);
    return text;
}

void CheckResult(int status, const std::string& console, const std::string& outputName) {
    if (console.compare(0, kBanner.size(), kBanner) != 0) Breach("console lacks the banner", console);
    std::string output = ReadWholeFile(outputName);
    if (!output.empty() && output.compare(0, 12, "ZK-9 Name : ") != 0)
        Breach("output does not begin with the header echo", console);
    if (status == 0) {
        if (!EndsWith(console, "\nSuccess - Created: " + outputName + "\n"))
            Breach("success without its result line", console);
        if (!EndsWith(output, "\nEnd of Capture Data\n") && !EndsWith(output, "\nLast Reference Reached\n"))
            Breach("success without a closing text", console);
        return;
    }
    if (status != 2) Breach("exit status other than 0 or 2", console);
    if (console.size() < kBanner.size() + 3 || !EndsWith(console, "\n"))
        Breach("failure without a message", console);
}

}  // namespace

void RunConversionInput(const ConversionInput& input) {
    ClearSandbox();
    const std::string& dir = SandboxDir();
    const bool at2359 = (input.flags & kStartAt2359) != 0;
    const std::string first = at2359 ? "cap2359" : "cap1200";
    const std::string second = at2359 ? "cap0000" : "cap1201";
    unsigned files = WriteCaptureFiles(input, first + ".Zelmot", second + ".Zelmot");
    WriteSandboxFile("o.opt", input.optionText);

    std::vector<std::string> args{"zelmot2txt", dir + "/" + first, dir + "/o"};
    args.push_back("NumMin=" + std::to_string(files + ((input.flags & kOneFileMissing) != 0 ? 1 : 0)));
    if ((input.flags & kUseStartRef) != 0) args.push_back("StartRef=" + std::to_string(input.startRef));
    if ((input.flags & kUseEndRef) != 0) args.push_back("EndRef=" + std::to_string(input.endRef));
    args.push_back("Arg0=" + std::to_string(input.arg0));
    const std::string outputName = dir + "/" + first + "_o.txt";
    int status = -1;
    std::string console = RunTool(args, status);
    CheckResult(status, console, outputName);
    if ((input.flags & kRunTwice) == 0) return;
    // Nothing of a run outlives it: the same files give the same run again.
    const std::string output = ReadWholeFile(outputName);
    int again = -1;
    if (RunTool(args, again) != console || again != status) Breach("a second run prints otherwise", console);
    if (ReadWholeFile(outputName) != output) Breach("a second run writes otherwise", console);
}

}  // namespace zelmot::fuzz
