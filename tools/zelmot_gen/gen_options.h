// The generator's command line: the capture stem and the options that shape
// the recording, with their ranges and defaults, and the --help text.
#pragma once

#include <cstdint>
#include <string>

#include "common/outcome.h"

namespace zelmot {

struct GenOptions {
    std::string Stem;                 // files are <stem>HHMM.Zelmot
    unsigned BaudIndex = 8;
    unsigned StartHour = 12;
    unsigned StartMinute = 0;
    std::uint32_t Minutes = 1;
    std::uint32_t FramesPerMinute = 1000;
    std::uint64_t Seed = 1;
    double ErrorRate = 0.0;           // fraction of frames with receive errors
    double CorruptRate = 0.0;         // fraction of records with a wrong length
    unsigned Masters = 2;
    unsigned Slaves = 8;
    std::string DeviceName = "LINE-1 ANALYSER";
    std::uint32_t DeviceAddress = 0xC0A8010A;  // 192.168.1.10
    bool HelpWanted = false;
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
