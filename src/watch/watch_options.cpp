// The option words of zelmot-watch: addresses, the topic, the alert command
// and its level, the period reports' folder and length, each checked when it
// is read (whether the folder takes files is the period reports' check).
#include "watch/watch_options.h"

#include "common/ascii.h"
#include "common/number_scan.h"

namespace zelmot {
namespace {

constexpr std::size_t kTopicMax = 1000;  // leaves room for "/slave/127/state" in MQTT's 65,535

bool IsHostNameChar(char c) { return ascii::IsAlnum(c) || c == '-' || c == '.' || c == '_'; }
bool IsV6Char(char c) { return ascii::IsHexDigit(c) || c == ':' || c == '.'; }

// A number 1-max in decimal digits alone.
bool ParsePositive(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    const DigitRun run = ScanDigitRun(text, 10, max);
    if (text.empty() || run.Length != text.size() || run.Saturated || run.Value == 0) return false;
    value = run.Value;
    return true;
}

bool ParsePort(std::string_view text, std::uint16_t& port) {
    std::uint64_t value = 0;
    if (!ParsePositive(text, 65535, value)) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool AllOf(std::string_view text, bool (*test)(char)) {
    for (char c : text)
        if (!test(c)) return false;
    return true;
}

// The topic rules for publishing: not empty, no wildcard, no NUL, not one
// of the broker's own ($...).
bool CheckTopic(std::string_view topic, std::string& why) {
    if (topic.empty()) why = "no topic";
    else if (topic.size() > kTopicMax) why = "at most 1000 characters";
    else if (topic.front() == '$') why = "a topic starting with $ is the broker's";
    else if (topic.find_first_of(std::string_view("+#\0", 3)) != std::string_view::npos) why = "no + or # in a topic";
    else return true;
    return false;
}

WordTaken Reject(std::FILE* err, const char* name, const char* value, const std::string& why) {
    std::fprintf(err, "Invalid %s - %s (%s)\n", name, value, why.c_str());
    return WordTaken::Rejected;
}

}  // namespace

bool ParseHostPort(std::string_view text, std::string_view defaultHost, std::uint16_t defaultPort, HostPort& to,
                   std::string& why) {
    std::string_view host;
    std::string_view port;
    bool hasPort = true;
    if (text.empty()) {
        why = "no address: host:port or port";
        return false;
    }
    if (text.front() == '[') {
        std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            why = "no ] after the IPv6 address";
            return false;
        }
        host = text.substr(1, close - 1);
        std::string_view rest = text.substr(close + 1);
        if (rest.empty()) hasPort = false;
        else if (rest.front() != ':') {
            why = "host:port, [IPv6 address]:port or port";
            return false;
        } else port = rest.substr(1);
        if (host.empty() || !AllOf(host, IsV6Char)) {
            why = "an IPv6 address of hex digits and colons";
            return false;
        }
    } else {
        std::size_t colon = text.find(':');
        if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
            why = "an IPv6 address goes in brackets: [::1]:port";
            return false;
        }
        if (colon != std::string_view::npos) {
            host = text.substr(0, colon);
            port = text.substr(colon + 1);
        } else if (!text.empty() && AllOf(text, ascii::IsDigit)) {
            port = text;
        } else {
            host = text;
            hasPort = false;
        }
        if (!AllOf(host, IsHostNameChar)) {
            why = "a host name, IPv4 address or [IPv6 address]";
            return false;
        }
    }
    if (!hasPort && defaultPort == 0) {
        why = "a port is needed: host:port or port";
        return false;
    }
    std::uint16_t number = defaultPort;
    if (hasPort && !ParsePort(port, number)) {
        why = "port 1-65535";
        return false;
    }
    to.Host = host.empty() ? std::string(defaultHost) : std::string(host);
    to.Port = number;
    return true;
}

std::string HostPortText(const HostPort& address) {
    const bool v6 = address.Host.find(':') != std::string::npos;
    return (v6 ? "[" + address.Host + "]" : address.Host) + ":" + std::to_string(address.Port);
}

bool ReachesAlertLevel(std::string_view severity, AlertLevel level) {
    if (ascii::EqualsNoCase(severity, "fault")) return true;
    return level == AlertLevel::Warning && ascii::EqualsNoCase(severity, "warning");
}

WordTaken ParseWatchWord(const char* word, WatchOptions& options, std::FILE* err) {
    std::string why;
    if (ascii::StartsWithNoCase(word, "Http=")) {
        const char* value = word + 5;
        if (!ParseHostPort(value, kLoopbackHost, 0, options.Http, why)) return Reject(err, "Http", value, why);
        options.HasHttp = true;
        return WordTaken::Taken;
    }
    if (ascii::StartsWithNoCase(word, "MqttTopic=")) {
        const char* value = word + 10;
        if (!CheckTopic(value, why)) return Reject(err, "MqttTopic", value, why);
        options.MqttTopic = value;
        return WordTaken::Taken;
    }
    if (ascii::StartsWithNoCase(word, "Mqtt=")) {
        const char* value = word + 5;
        if (!ParseHostPort(value, kLoopbackHost, kMqttDefaultPort, options.Mqtt, why))
            return Reject(err, "Mqtt", value, why);
        options.HasMqtt = true;
        return WordTaken::Taken;
    }
    if (ascii::StartsWithNoCase(word, "OnAlert=")) {
        const char* value = word + 8;
        std::vector<std::string> words;
        if (!SplitCommandWords(value, words, why)) return Reject(err, "OnAlert", value, why);
        options.AlertCommand = std::move(words);
        return WordTaken::Taken;
    }
    if (ascii::StartsWithNoCase(word, "AlertAt=")) {
        const char* value = word + 8;
        if (ascii::EqualsNoCase(value, "warning")) options.AlertAt = AlertLevel::Warning;
        else if (ascii::EqualsNoCase(value, "fault")) options.AlertAt = AlertLevel::Fault;
        else return Reject(err, "AlertAt", value, "warning or fault");
        options.HasAlertAt = true;
        return WordTaken::Taken;
    }
    if (ascii::StartsWithNoCase(word, "ReportEvery=")) {
        const char* value = word + 12;
        std::uint64_t minutes = 0;
        if (!ParsePositive(value, kReportEveryMax, minutes)) return Reject(err, "ReportEvery", value, "minutes 1-525600");
        options.ReportEvery = static_cast<std::uint32_t>(minutes);
        return WordTaken::Taken;
    }
    if (ascii::StartsWithNoCase(word, "Report=")) {
        const char* value = word + 7;
        if (*value == '\0') return Reject(err, "Report", value, "no folder");
        options.ReportFolder = value;
        return WordTaken::Taken;
    }
    return WordTaken::NotMine;
}

bool CheckWatchOptions(const WatchOptions& options, std::FILE* err) {
    if (!options.MqttTopic.empty() && !options.HasMqtt) {
        std::fputs("Invalid MqttTopic - no broker (Mqtt=host:port)\n", err);
        return false;
    }
    if (options.HasAlertAt && options.AlertCommand.empty()) {
        std::fputs("Invalid AlertAt - no alert command (OnAlert=<command>)\n", err);
        return false;
    }
    if (options.ReportEvery != 0 && options.ReportFolder.empty()) {
        std::fputs("Invalid ReportEvery - no report folder (Report=<folder>)\n", err);
        return false;
    }
    if (!options.ReportFolder.empty() && options.ReportEvery == 0) {
        std::fputs("Invalid Report - no period (ReportEvery=<minutes>)\n", err);
        return false;
    }
    return true;
}

std::string DefaultMqttTopic(std::string_view captureBaseName) {
    std::size_t slash = captureBaseName.find_last_of("/\\");
    std::string name(slash == std::string_view::npos ? captureBaseName : captureBaseName.substr(slash + 1));
    for (char& c : name)
        if (c == '+' || c == '#' || c == '\0') c = '_';
    return "zelmot/" + (name.empty() ? std::string("capture") : name);
}

bool SplitCommandWords(std::string_view line, std::vector<std::string>& words, std::string& why) {
    words.clear();
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : line) {
        if (quote != 0) {
            if (c == quote) quote = 0;
            else word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != 0) {
        why = std::string("a ") + quote + " quote is not closed";
        return false;
    }
    if (inWord) words.push_back(word);
    if (words.empty()) {
        why = "no command";
        return false;
    }
    return true;
}

}  // namespace zelmot
