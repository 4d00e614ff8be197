// The generator's command line: the capture stem and the options that shape
// the recording, with their ranges and defaults, and the --help text.
#pragma once

#include <cstdint>
#include <string>

#include "common/outcome.h"

namespace zelmot {

struct GenOptions {
    std::string stem;                 // files are <stem>HHMM.Zelmot
    unsigned baudIndex = 8;
    unsigned startHour = 12;
    unsigned startMinute = 0;
    std::uint32_t minutes = 1;
    std::uint32_t framesPerMinute = 1000;
    std::uint64_t seed = 1;
    double errorRate = 0.0;           // fraction of frames with receive errors
    double corruptRate = 0.0;         // fraction of records with a wrong length
    unsigned masters = 2;
    unsigned slaves = 8;
    std::string deviceName = "LINE-1 ANALYSER";
    std::uint32_t deviceAddress = 0xC0A8010A;  // 192.168.1.10
    bool helpWanted = false;
};

constexpr std::uint32_t kMaxMinutes = 1440;
constexpr std::uint32_t kMaxFramesPerMinute = 20000000;
constexpr unsigned kMaxMasters = 3;
constexpr unsigned kMaxSlaves = 120;
constexpr std::size_t kDeviceNameSize = 32;

// Fills options from argv[1..]; an error names the offending argument.
Outcome ParseGenOptions(int argc, const char* const* argv, GenOptions& options);

// The usage text printed by --help.
const char* GenHelpText();

}  // namespace zelmot
