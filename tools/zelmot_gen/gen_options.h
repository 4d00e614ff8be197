// The generator's command line: the capture stem and the options that shape
// the recording, with their ranges and defaults, the DP fault scenarios and
// their names, and the --help text.
#pragma once

#include <cstdint>
#include <string>

#include "common/outcome.h"

namespace zelmot {

// DP fault scenarios, one bit each in GenOptions::Scenarios. ORDER
// kScenarioNames in gen_options.cpp.
enum class DpScenario : std::uint8_t {
    Dropout,     // a slave stops answering for a while, then starts up anew
    ExtDiag,     // a DP-V1 slave reports extended diagnosis and alarms
    CfgFault,    // the master's configuration does not fit the slave
    WrongIdent,  // the master parameterises the slave with a wrong ident
    Clear,       // a master goes to CLEAR for a while
    Dpv1Read,    // DP-V1 reads, one refused
    RsAnswer,    // requests for services the slave does not offer
};
constexpr unsigned kScenarioCount = 7;

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
    std::uint32_t Scenarios = 0;      // bit (1 << DpScenario) per scenario wanted
    std::string RecordPath;           // where the record of events goes; empty: none
    bool HelpWanted = false;
};

inline bool WantsScenario(const GenOptions& options, DpScenario scenario) {
    return (options.Scenarios >> static_cast<unsigned>(scenario) & 1u) != 0;
}

// Scenarios that need a slave of their own (all but Clear).
unsigned SlaveScenarioCount(const GenOptions& options);

constexpr std::uint32_t kMaxMinutes = 1440;
constexpr std::uint32_t kMaxFramesPerMinute = 20000000;
constexpr unsigned kMaxMasters = 3;
constexpr unsigned kMaxSlaves = 120;
constexpr std::size_t kDeviceNameSize = 32;

// Fills options from argv[1..]; an error names the offending argument.
Outcome ParseGenOptions(int argc, const char* const* argv, GenOptions& options);

// The option word of a scenario ("dropout", "ext-diag", ...).
const char* ScenarioName(DpScenario scenario);

// The usage text printed by --help.
const char* GenHelpText();

}  // namespace zelmot
