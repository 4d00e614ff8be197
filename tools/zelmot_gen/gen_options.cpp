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

// Adds the scenarios of a comma-separated list; "all" names every one.
bool ParseScenarios(std::string_view text, std::uint32_t& scenarios) {
    std::uint32_t found = 0;
    while (true) {
        std::size_t comma = text.find(',');
        std::string_view word = text.substr(0, comma);
        std::uint32_t bit = word == "all" ? kAllScenarios : 0;
        for (unsigned i = 0; i < kScenarioCount && bit == 0; ++i)
            if (word == kScenarioNames[i]) bit = 1u << i;
        if (bit == 0) return false;
        found |= bit;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    scenarios |= found;
    return true;
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

constexpr std::string_view kOptionNames[] = {"baud",         "start",   "minutes", "frames",
                                             "seed",         "error-rate", "corrupt-rate",
                                             "masters",      "slaves",  "name",    "address",
                                             "dp-scenario",  "record"};

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
    unsigned needed = SlaveScenarioCount(options);
    if (needed > options.Slaves)
        return ErrorText("the DP scenarios chosen need %u slaves of their own, but there are %u", needed,
                         options.Slaves);
    return Success();
}

unsigned SlaveScenarioCount(const GenOptions& options) {
    unsigned count = 0;
    for (unsigned i = 0; i < kScenarioCount; ++i)
        if (i != static_cast<unsigned>(DpScenario::Clear)) count += options.Scenarios >> i & 1u;
    return count;
}

const char* ScenarioName(DpScenario scenario) {
    assert(static_cast<unsigned>(scenario) < kScenarioCount);
    return kScenarioNames[static_cast<unsigned>(scenario)];
}

const char* GenHelpText() {
    return "Usage: zelmot-gen <stem> [options]\n"
           "\n"
           "Writes a run of per-minute capture files <stem>HHMM.Zelmot holding synthetic\n"
           "PROFIBUS DP traffic: token passing between the masters, data exchange with\n"
           "the slaves (FCB toggling, input data, short acknowledgements), start-up\n"
           "parameterisation, diagnostics, FDL status polls, global control, timeouts\n"
           "and retries. The record stream runs on from one file into the next, so a\n"
           "record may straddle two files, even inside its record header.\n"
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
           "  --record FILE      write the DP events the capture shows to FILE, one CSV\n"
           "                     line each: time_ns,master,station,event,frame,detail\n"
           "                     (see the manual page)\n"
           "  --help             this text\n"
           "\n"
           "Prints one line per file written. Exit status 0 on success, 2 on a bad\n"
           "argument or a write error.\n";
}

}  // namespace zelmot
