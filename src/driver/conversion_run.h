// One conversion run: option file, output text, the capture files' frames
// numbered, timed, filtered and written line by line.
#pragma once

#include <cstdio>
#include <string>

#include "common/outcome.h"
#include "run/command_line.h"

namespace zelmot {

// zelmot2txt's settings: the shared words and the names of its own two files.
struct ConversionSettings {
    RunSettings Run;
    std::string OptionFileName;  // second argument + ".opt"
    std::string OptionBaseName;  // second argument after its last '\' or '/'
    std::string OutputName;      // CaptureName + "_" + OptionBaseName + ".txt"
    // Threads that format the lines, the run's own thread included: 0 for
    // one per core the process may run on (at most kMaxLineWorkers), 1 to
    // format them on the run's own thread only.
    // The output is the same either way; tests choose a count here.
    unsigned LineWorkers = 0;
};

// Derives the option file's and the output's names from the (checked)
// capture name and the option-file argument.
void DeriveConversionNames(const std::string& captureName, const std::string& optionArgument,
                           ConversionSettings& settings);

// Runs the whole conversion; progress lines go to console. Success, or the
// message of the first fault. Both files are closed either way.
Outcome RunConversion(const ConversionSettings& settings, std::FILE* console);

}  // namespace zelmot
