// The generator's command line: the capture stem and the options that shape
// the recording, with their ranges and defaults, the DP scenarios, the fault
// scenarios and the plant changes with their names, and the --help text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "gen_fault_kinds.h"

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

// What --change does to one slave of the plant. ORDER kChangeNames in
// gen_options.cpp.
enum class ChangeKind : std::uint8_t {
    Ident,      // another ident: the device was replaced
    Module,     // one module of its configuration has another size
    Parameter,  // a user parameter byte of its Set_Prm has another value
    Watchdog,   // its watchdog is halved
    Gone,       // the station is gone from the plant
    Errors,     // one in a hundred of its data exchange answers is damaged
    Slow,       // it answers later
};
constexpr unsigned kChangeCount = 7;

struct PlantChange {
    ChangeKind Kind = ChangeKind::Ident;
    std::uint8_t Address = 0;
};

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
    std::uint64_t Faults = 0;         // bit (1 << FaultKind) per fault scenario wanted
    std::vector<PlantChange> Changes; // in the order given, at most one of a kind per slave
    double TimeoutRate = 0.0;         // fraction of requests to slaves left unanswered
    double DiagRate = 0.0;            // fraction of data exchanges answered DH with a diagnosis
    std::uint32_t WatchdogMs = 0;     // every slave's watchdog; 0: the run's own (gen_watchdog.h)
    std::string RecordPath;           // where the record of events goes; empty: none
    bool HelpWanted = false;
};

inline bool WantsScenario(const GenOptions& options, DpScenario scenario) {
    return (options.Scenarios >> static_cast<unsigned>(scenario) & 1u) != 0;
}

inline bool WantsFault(const GenOptions& options, FaultKind kind) {
    return (options.Faults >> static_cast<unsigned>(kind) & 1u) != 0;
}

// Whether a scenario holds a master up against a slave's watchdog.
bool WantsWatchdogFault(const GenOptions& options);

// Scenarios that need a slave of their own: the DP scenarios but Clear,
// and the slaves the fault scenarios take.
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

// The word of a plant change ("ident", "module", ...).
const char* ChangeName(ChangeKind kind);

// The slave address of the first slave and of the one after the last.
constexpr std::uint8_t kFirstSlaveAddress = 5;
inline unsigned SlaveAddressEnd(const GenOptions& options) { return kFirstSlaveAddress + options.Slaves; }

// The usage text printed by --help.
const char* GenHelpText();

}  // namespace zelmot
