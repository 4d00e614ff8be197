// Command-line parsing: "--name value" or "--name=value", numbers in decimal,
// every value checked against its range before anything is written. A
// scenario list is NAME[,NAME...]; the option may be given more than once.
#include "gen_options.h"

#include <cassert>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/number_scan.h"
#include "gen_bus.h"
#include "gen_watchdog.h"

namespace zelmot {
namespace {

// The whole text a decimal number of at most max.
bool ParseUnsigned(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    DigitRun run = ScanDigitRun(text, 10, max);
    if (text.empty() || run.Length != text.size() || run.Saturated) return false;
    value = run.Value;
    return true;
}

bool ParseRate(const std::string& text, double& rate) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(value >= 0.0 && value <= 1.0)) return false;
    rate = value;
    return true;
}

bool ParseDotted(std::string_view text, std::uint32_t& address) {
    std::uint32_t result = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t dot = text.find('.');
        bool last = part == 3;
        if (last != (dot == std::string_view::npos)) return false;
        std::uint64_t value = 0;
        if (!ParseUnsigned(text.substr(0, dot), 255, value)) return false;
        result = (result << 8) | static_cast<std::uint32_t>(value);
        if (!last) text.remove_prefix(dot + 1);
    }
    address = result;
    return true;
}

// ORDER DpScenario
constexpr const char* kScenarioNames[] = {"dropout",     "ext-diag",  "cfg-fault", "wrong-ident",
                                          "clear",       "dpv1-read", "rs-answer"};
static_assert(sizeof kScenarioNames / sizeof kScenarioNames[0] == kScenarioCount);

constexpr std::uint32_t kAllScenarios = (1u << kScenarioCount) - 1;

// ORDER ChangeKind
constexpr const char* kChangeNames[] = {"ident", "module", "parameter", "watchdog", "gone", "errors", "slow"};
static_assert(sizeof kChangeNames / sizeof kChangeNames[0] == kChangeCount);

// Calls take(word) for each word of a comma-separated list; false when a
// word is empty or take refuses it.
template <typename Take>
bool ForEachWord(std::string_view text, Take take) {
    while (true) {
        std::size_t comma = text.find(',');
        std::string_view word = text.substr(0, comma);
        if (word.empty() || !take(word)) return false;
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

// Adds the scenarios of a comma-separated list; "all" names every one.
bool ParseScenarios(std::string_view text, std::uint32_t& scenarios) {
    std::uint32_t found = 0;
    bool ok = ForEachWord(text, [&](std::string_view word) {
        std::uint32_t bit = word == "all" ? kAllScenarios : 0;
        for (unsigned i = 0; i < kScenarioCount && bit == 0; ++i)
            if (word == kScenarioNames[i]) bit = 1u << i;
        found |= bit;
        return bit != 0;
    });
    if (ok) scenarios |= found;
    return ok;
}

bool ParseFaults(std::string_view text, std::uint64_t& faults) {
    std::uint64_t found = 0;
    bool ok = ForEachWord(text, [&](std::string_view word) {
        FaultKind kind;
        if (!FaultByName(word.data(), word.size(), kind)) return false;
        found |= std::uint64_t{1} << static_cast<unsigned>(kind);
        return true;
    });
    if (ok) faults |= found;
    return ok;
}

// KIND=ADDRESS words; the address is checked against the plant later.
bool ParseChanges(std::string_view text, std::vector<PlantChange>& changes) {
    std::vector<PlantChange> found;
    bool ok = ForEachWord(text, [&](std::string_view word) {
        std::size_t equals = word.find('=');
        if (equals == std::string_view::npos) return false;
        std::uint64_t address = 0;
        if (!ParseUnsigned(word.substr(equals + 1), 126, address)) return false;
        for (unsigned i = 0; i < kChangeCount; ++i) {
            if (word.substr(0, equals) != kChangeNames[i]) continue;
            found.push_back(PlantChange{static_cast<ChangeKind>(i), static_cast<std::uint8_t>(address)});
            return true;
        }
        return false;
    });
    if (ok) changes.insert(changes.end(), found.begin(), found.end());
    return ok;
}

unsigned MasterScenarioCount(const GenOptions& options) {
    return WantsScenario(options, DpScenario::Clear) + WantsFault(options, FaultKind::MasterClear) +
           WantsFault(options, FaultKind::MasterClearToEnd);
}

constexpr std::uint64_t FaultBit(FaultKind kind) { return std::uint64_t{1} << static_cast<unsigned>(kind); }

constexpr std::uint64_t kWatchdogFaults = FaultBit(FaultKind::WatchdogExpired) |
                                          FaultBit(FaultKind::WatchdogExpiredNear) |
                                          FaultBit(FaultKind::WatchdogTight) | FaultBit(FaultKind::WatchdogTightNear);

Outcome CheckChanges(const GenOptions& options) {
    if (!options.Changes.empty() && (options.Scenarios != 0 || options.Faults != 0))
        return ErrorText("--change makes the other half of a pair from the plain plant: no --dp-scenario or --fault");
    for (std::size_t i = 0; i < options.Changes.size(); ++i) {
        const PlantChange& c = options.Changes[i];
        if (c.Address < kFirstSlaveAddress || c.Address >= SlaveAddressEnd(options))
            return ErrorText("--change %s=%u: no slave has that address (slaves are %u to %u)", ChangeName(c.Kind),
                             c.Address, kFirstSlaveAddress, SlaveAddressEnd(options) - 1);
        for (std::size_t j = 0; j < i; ++j) {
            const PlantChange& d = options.Changes[j];
            if (d.Address == c.Address && (d.Kind == c.Kind || d.Kind == ChangeKind::Gone || c.Kind == ChangeKind::Gone))
                return ErrorText("--change %s=%u: slave %u already has the change %s", ChangeName(c.Kind), c.Address,
                                 c.Address, ChangeName(d.Kind));
        }
    }
    return Success();
}

// What the options ask of the plant, against what it has.
Outcome CheckCombination(const GenOptions& options) {
    unsigned needed = SlaveScenarioCount(options);
    if (needed > options.Slaves)
        return ErrorText("the DP and fault scenarios chosen need %u slaves of their own, but there are %u", needed,
                         options.Slaves);
    unsigned masters = MasterScenarioCount(options);
    unsigned withSlaves = options.Slaves < options.Masters ? options.Slaves : options.Masters;
    if (masters > withSlaves)
        return ErrorText("the scenarios chosen put %u masters in CLEAR, but only %u have slaves", masters, withSlaves);
    if (WantsWatchdogFault(options) && options.WatchdogMs != 0) {
        std::uint64_t rotationUs = ExpectedRotationUs(options);
        if (std::uint64_t{options.WatchdogMs} * 1000 < rotationUs * kHeldWatchdogRotations)
            return ErrorText("the watchdog scenarios need a watchdog of at least %u token rotations (%llu ms here)",
                             kHeldWatchdogRotations,
                             static_cast<unsigned long long>((rotationUs * kHeldWatchdogRotations + 999) / 1000));
    }
    // The slot time a master shows is its slot time and 33 bit times and
    // more: an answer under the slot time comes after more than 80% of that
    // only with a slot time of more than 200 bit times.
    if (WantsFault(options, FaultKind::SlowAnswers) && BusProfileFor(options.BaudIndex).SlotBits <= 200)
        return ErrorText("--fault slow_answers needs a slot time of more than 200 bit times: --baud 5 or more");
    return CheckChanges(options);
}

Outcome BadValue(std::string_view option, const std::string& value) {
    return ErrorText("bad value '%s' for --%.*s", value.c_str(), static_cast<int>(option.size()),
                     option.data());
}

// Takes the value of one option; false when the value is out of range.
bool SetOption(std::string_view name, const std::string& value, GenOptions& o) {
    std::uint64_t n = 0;
    if (name == "baud") {
        if (!ParseUnsigned(value, 8, n)) return false;
        o.BaudIndex = static_cast<unsigned>(n);
    } else if (name == "start") {
        if (!ParseUnsigned(value, 2359, n) || n % 100 > 59) return false;
        o.StartHour = static_cast<unsigned>(n / 100);
        o.StartMinute = static_cast<unsigned>(n % 100);
    } else if (name == "minutes") {
        if (!ParseUnsigned(value, kMaxMinutes, n) || n == 0) return false;
        o.Minutes = static_cast<std::uint32_t>(n);
    } else if (name == "frames") {
        if (!ParseUnsigned(value, kMaxFramesPerMinute, n) || n == 0) return false;
        o.FramesPerMinute = static_cast<std::uint32_t>(n);
    } else if (name == "seed") {
        if (!ParseUnsigned(value, UINT64_MAX, n)) return false;
        o.Seed = n;
    } else if (name == "error-rate") {
        return ParseRate(value, o.ErrorRate);
    } else if (name == "corrupt-rate") {
        return ParseRate(value, o.CorruptRate);
    } else if (name == "masters") {
        if (!ParseUnsigned(value, kMaxMasters, n) || n == 0) return false;
        o.Masters = static_cast<unsigned>(n);
    } else if (name == "slaves") {
        if (!ParseUnsigned(value, kMaxSlaves, n) || n == 0) return false;
        o.Slaves = static_cast<unsigned>(n);
    } else if (name == "dp-scenario") {
        return ParseScenarios(value, o.Scenarios);
    } else if (name == "fault") {
        return ParseFaults(value, o.Faults);
    } else if (name == "change") {
        return ParseChanges(value, o.Changes);
    } else if (name == "timeout-rate") {
        return ParseRate(value, o.TimeoutRate);
    } else if (name == "diag-rate") {
        return ParseRate(value, o.DiagRate);
    } else if (name == "watchdog") {
        Watchdog w;
        if (!ParseUnsigned(value, kMaxWatchdogMs, n) || !EncodeWatchdog(static_cast<std::uint32_t>(n), false, w))
            return false;
        o.WatchdogMs = static_cast<std::uint32_t>(n);
    } else if (name == "record") {
        if (value.empty()) return false;
        o.RecordPath = value;
    } else if (name == "name") {
        if (value.size() > kDeviceNameSize) return false;
        o.DeviceName = value;
    } else {  // "address", the only name left after IsKnownOption
        return ParseDotted(value, o.DeviceAddress);
    }
    return true;
}

constexpr std::string_view kOptionNames[] = {"baud",        "start",        "minutes",   "frames",   "seed",
                                             "error-rate",  "corrupt-rate", "masters",   "slaves",   "name",
                                             "address",     "dp-scenario",  "record",    "fault",    "change",
                                             "timeout-rate", "diag-rate",   "watchdog"};

bool IsKnownOption(std::string_view name) {
    for (std::string_view known : kOptionNames)
        if (name == known) return true;
    return false;
}

}  // namespace

Outcome ParseGenOptions(int argc, const char* const* argv, GenOptions& options) {
    bool haveStem = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.HelpWanted = true;
            return Success();
        }
        if (arg.substr(0, 2) != "--") {
            if (haveStem) return ErrorText("more than one capture stem: '%s'", argv[i]);
            if (arg.empty()) return ErrorText("empty capture stem");
            options.Stem = argv[i];
            haveStem = true;
            continue;
        }
        std::string_view name = arg.substr(2);
        std::string value;
        std::size_t equals = name.find('=');
        if (equals != std::string_view::npos) {
            value = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        } else if (IsKnownOption(name)) {
            if (i + 1 >= argc) return ErrorText("missing value for %s", argv[i]);
            value = argv[++i];
        }
        if (!IsKnownOption(name)) return ErrorText("unknown option '%s'", argv[i]);
        if (!SetOption(name, value, options)) return BadValue(name, value);
    }
    if (!haveStem) return ErrorText("no capture stem given");
    return CheckCombination(options);
}

bool WantsWatchdogFault(const GenOptions& options) { return (options.Faults & kWatchdogFaults) != 0; }

unsigned SlaveScenarioCount(const GenOptions& options) {
    unsigned count = 0;
    for (unsigned i = 0; i < kScenarioCount; ++i)
        if (i != static_cast<unsigned>(DpScenario::Clear)) count += options.Scenarios >> i & 1u;
    for (unsigned i = 0; i < kFaultCount; ++i)
        if (WantsFault(options, static_cast<FaultKind>(i))) count += FaultInfoOf(static_cast<FaultKind>(i)).Slaves;
    return count;
}

const char* ScenarioName(DpScenario scenario) {
    assert(static_cast<unsigned>(scenario) < kScenarioCount);
    return kScenarioNames[static_cast<unsigned>(scenario)];
}

const char* ChangeName(ChangeKind kind) {
    assert(static_cast<unsigned>(kind) < kChangeCount);
    return kChangeNames[static_cast<unsigned>(kind)];
}

const char* GenHelpText() {
    return "Usage: zelmot-gen <stem> [options]\n"
           "\n"
           "Writes a run of per-minute capture files <stem>HHMM.Zelmot holding synthetic\n"
           "PROFIBUS DP traffic: token passing between the masters, data exchange with\n"
           "the slaves (FCB toggling, input data, short acknowledgements), start-up\n"
           "parameterisation, diagnostics, FDL status polls and global control; on\n"
           "request timeouts and retries, receive errors, DP faults and the faults the\n"
           "findings of zelmot-stats look for. Without them the traffic is clean. The\n"
           "record stream runs on from one file into the next, so a record may\n"
           "straddle two files, even inside its record header.\n"
           "\n"
           "Options (each as --option VALUE or --option=VALUE):\n"
           "  --baud N           baud index 0-8 (9k6 .. 12m), default 8\n"
           "  --start HHMM       hour and minute of the first file, default 1200;\n"
           "                     time stamps start at that time of day\n"
           "  --minutes N        number of files, 1-1440, default 1\n"
           "  --frames N         frames per minute, 1-20000000, default 1000; frames\n"
           "                     that do not fit in a minute at the bus speed are\n"
           "                     packed densely (said on stderr) and later minutes\n"
           "                     start later\n"
           "  --seed N           seed of the pseudo-random traffic, default 1; the same\n"
           "                     seed gives the same bytes\n"
           "  --error-rate R     fraction 0-1 of frames with receive errors (status bits\n"
           "                     0x40 check sum, 0x02 parity, 0x80 end delimiter,\n"
           "                     0x01 stop bit), default 0\n"
           "  --corrupt-rate R   fraction 0-1 of records written with a wrong length\n"
           "                     byte, default 0; such records lie at least 120 records\n"
           "                     apart and not within 120 records of a minute's start\n"
           "                     or 8 of its end, so a reader can find the records again\n"
           "  --timeout-rate R   fraction 0-1 of requests to stations left unanswered,\n"
           "                     each retried once, default 0\n"
           "  --diag-rate R      fraction 0-1 of data exchanges a slave answers DH,\n"
           "                     with a device-related diagnosis when asked, default 0\n"
           "  --watchdog MS      every slave's watchdog in ms, 10-650250 on the 10 ms\n"
           "                     base (WD_Fact_1 x WD_Fact_2 x 10 ms); default 1000, or\n"
           "                     16 token rotations when the frame rate makes that more\n"
           "  --masters N        masters in the token ring, 1-3, default 2\n"
           "  --slaves N         slaves, 1-120, default 8\n"
           "  --name TEXT        device name in the header, at most 32 characters,\n"
           "                     default \"LINE-1 ANALYSER\"\n"
           "  --address A.B.C.D  device address in the header, default 192.168.1.10\n"
           "  --dp-scenario LIST DP faults to show, comma-separated, the option may be\n"
           "                     repeated: dropout, ext-diag, cfg-fault, wrong-ident,\n"
           "                     clear, dpv1-read, rs-answer, or all; the seed picks a\n"
           "                     slave of its own for each (a master for clear) and\n"
           "                     when it happens; without it the traffic is as ever\n"
           "  --fault LIST       fault scenarios, comma-separated, the option may be\n"
           "                     repeated: one per findings rule, shaped so that the\n"
           "                     rule fires, and near misses that must not fire it:\n"
           "                     capture_gap, capture_gap_near, slave_lost,\n"
           "                     slave_lost_for_good, common_cause, common_cause_near,\n"
           "                     slave_restart, slave_restart_diag, watchdog_expired,\n"
           "                     watchdog_expired_near, watchdog_tight,\n"
           "                     watchdog_tight_near, not_ready, diagnosis,\n"
           "                     errors_local, errors_local_near, errors_spread,\n"
           "                     errors_spread_near, retries, retries_near,\n"
           "                     slow_answers, negative_answers, double_address,\n"
           "                     device_replaced, master_clear, master_clear_to_end;\n"
           "                     --record writes what each put in (see the manual)\n"
           "  --change LIST      the other half of a before/after pair: the plant of\n"
           "                     the same seed with KIND=ADDRESS changes, KIND one of\n"
           "                     ident, module, parameter, watchdog, gone, errors,\n"
           "                     slow; the rest of the traffic stays the plant's\n"
           "  --record FILE      write the DP events the capture shows to FILE, one CSV\n"
           "                     line each: time_ns,master,station,event,frame,detail\n"
           "                     (see the manual page)\n"
           "  --help             this text\n"
           "\n"
           "Prints one line per file written. Exit status 0 on success, 2 on a bad\n"
           "argument or a write error.\n";
}

}  // namespace zelmot
