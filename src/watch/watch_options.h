// zelmot-watch's own command-line words: where the HTTP server listens
// (Http=), the MQTT broker and topic (Mqtt=, MqttTopic=), the alert command
// and the severity from which it runs (OnAlert=, AlertAt=), the folder and
// the length of the period reports (Report=, ReportEvery=). The words are
// parsed into one plain record; each bad word is a message in the style of
// the family's other words ("Invalid Http - 80x (port 1-65535)").
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zelmot {

// A listening or connecting address: a host name, an IPv4 address or an
// IPv6 address (without its brackets), and a port.
struct HostPort {
    std::string Host;
    std::uint16_t Port = 0;
};

// Where nothing else is said, the server binds and the client connects to
// the loopback address.
inline constexpr std::string_view kLoopbackHost = "127.0.0.1";
inline constexpr std::uint16_t kMqttDefaultPort = 1883;

// Reads "host:port", "[v6 address]:port", ":port" or "port" (the host then
// defaultHost); without a port, defaultPort when it is not 0, else an error.
// False with the reason in why ("port 1-65535", ...).
bool ParseHostPort(std::string_view text, std::string_view defaultHost, std::uint16_t defaultPort, HostPort& to,
                   std::string& why);

// "127.0.0.1:8080", "[::1]:8080"
std::string HostPortText(const HostPort& address);

// The findings' severities from which the alert command runs.
enum class AlertLevel : std::uint8_t { Warning, Fault };

// Whether a finding of this severity ("info", "warning", "fault", as the
// findings name them) reaches the level. Unknown words never do.
bool ReachesAlertLevel(std::string_view severity, AlertLevel level);

struct WatchOptions {
    bool HasHttp = false;
    HostPort Http;
    bool HasMqtt = false;
    HostPort Mqtt;
    std::string MqttTopic;                  // empty: DefaultMqttTopic of the capture name
    std::vector<std::string> AlertCommand;  // the command's words; empty: no alert command
    AlertLevel AlertAt = AlertLevel::Fault;
    bool HasAlertAt = false;
    std::string ReportFolder;      // empty: no period reports
    std::uint32_t ReportEvery = 0; // capture minutes per period report; 0: not given
};

inline constexpr std::uint32_t kReportEveryMax = 525'600;  // a year of minutes

enum class WordTaken : std::uint8_t {
    NotMine,   // not one of these words: the caller tries its own
    Taken,     // applied
    Rejected,  // one of these words with a bad value; the message is on err
};

// Applies one command-line word (names without regard to case).
WordTaken ParseWatchWord(const char* word, WatchOptions& options, std::FILE* err);

// The words taken together: MqttTopic= needs Mqtt=, AlertAt= needs OnAlert=,
// Report= and ReportEvery= each other.
// False with the message on err.
bool CheckWatchOptions(const WatchOptions& options, std::FILE* err);

// "zelmot/<name>": the capture's name without its folder, each character
// that a topic must not hold (+ # and the NUL) as '_'.
std::string DefaultMqttTopic(std::string_view captureBaseName);

// Splits an alert command line into its words, as exec gets them: words are
// separated by blanks and tabs; text in single or double quotes belongs to
// one word, the quotes removed; no other character is special (no escapes,
// variables, wildcards or redirections: no shell sees the line). False with
// the reason in why for an unclosed quote or a line without words.
bool SplitCommandWords(std::string_view line, std::vector<std::string>& words, std::string& why);

}  // namespace zelmot
