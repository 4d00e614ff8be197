// zelmot-watch's option words: the address forms and their refusals, the
// topic rules, the alert command's word splitting and the severity level,
// each with the message a user sees.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "watch/watch_options.h"

namespace zelmot {
namespace {

struct ParsedWord {
    WordTaken Taken = WordTaken::NotMine;
    WatchOptions Options;
    std::string Message;
};

// What write puts on the error stream it is handed.
template <class Write>
std::string ErrorsOf(const Write& write) {
    std::FILE* err = std::tmpfile();
    write(err);
    std::rewind(err);
    char buffer[512] = {};
    const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, err);
    std::fclose(err);
    return std::string(buffer, got);
}

ParsedWord Parse(const char* word) {
    ParsedWord parsed;
    parsed.Message = ErrorsOf([&](std::FILE* err) { parsed.Taken = ParseWatchWord(word, parsed.Options, err); });
    return parsed;
}

struct AddressCase {
    const char* Word;
    const char* Host;  // nullptr: rejected
    unsigned Port;
    const char* Message;
};

TEST(WatchOptions, AddressWordsTakeTheirFormsAndRefuseTheRest) {
    const AddressCase cases[] = {
        {"Http=8080", "127.0.0.1", 8080, ""},
        {"http=:8080", "127.0.0.1", 8080, ""},
        {"Http=0.0.0.0:80", "0.0.0.0", 80, ""},
        {"Http=plant-gw.local:9100", "plant-gw.local", 9100, ""},
        {"Http=[::1]:8080", "::1", 8080, ""},
        {"Http=[::]:65535", "::", 65535, ""},
        {"Http=", nullptr, 0, "Invalid Http -  (no address: host:port or port)\n"},
        {"Http=localhost", nullptr, 0, "Invalid Http - localhost (a port is needed: host:port or port)\n"},
        {"Http=[::1]", nullptr, 0, "Invalid Http - [::1] (a port is needed: host:port or port)\n"},
        {"Http=0", nullptr, 0, "Invalid Http - 0 (port 1-65535)\n"},
        {"Http=65536", nullptr, 0, "Invalid Http - 65536 (port 1-65535)\n"},
        {"Http=99999999999999999999", nullptr, 0, "Invalid Http - 99999999999999999999 (port 1-65535)\n"},
        {"Http=host:80x", nullptr, 0, "Invalid Http - host:80x (port 1-65535)\n"},
        {"Http=host:", nullptr, 0, "Invalid Http - host: (port 1-65535)\n"},
        {"Http=::1:8080", nullptr, 0, "Invalid Http - ::1:8080 (an IPv6 address goes in brackets: [::1]:port)\n"},
        {"Http=[::1:8080", nullptr, 0, "Invalid Http - [::1:8080 (no ] after the IPv6 address)\n"},
        {"Http=[zz]:80", nullptr, 0, "Invalid Http - [zz]:80 (an IPv6 address of hex digits and colons)\n"},
        {"Http=[::1]x80", nullptr, 0, "Invalid Http - [::1]x80 (host:port, [IPv6 address]:port or port)\n"},
        {"Http=a b:80", nullptr, 0, "Invalid Http - a b:80 (a host name, IPv4 address or [IPv6 address])\n"},
        {"Http=x/../y:80", nullptr, 0, "Invalid Http - x/../y:80 (a host name, IPv4 address or [IPv6 address])\n"},
        {"Mqtt=broker", "broker", 1883, ""},
        {"Mqtt=broker:8883", "broker", 8883, ""},
        {"MQTT=1884", "127.0.0.1", 1884, ""},
        {"Mqtt=[fe80::1]", "fe80::1", 1883, ""},
        {"Mqtt=", nullptr, 0, "Invalid Mqtt -  (no address: host:port or port)\n"},
        {"Mqtt=broker:0", nullptr, 0, "Invalid Mqtt - broker:0 (port 1-65535)\n"},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.Word);
        ParsedWord parsed = Parse(c.Word);
        const bool http = c.Word[0] == 'H' || c.Word[0] == 'h';
        const HostPort& address = http ? parsed.Options.Http : parsed.Options.Mqtt;
        EXPECT_EQ(parsed.Message, c.Message);
        if (c.Host == nullptr) {
            EXPECT_EQ(parsed.Taken, WordTaken::Rejected);
            continue;
        }
        EXPECT_EQ(parsed.Taken, WordTaken::Taken);
        EXPECT_EQ(address.Host, c.Host);
        EXPECT_EQ(address.Port, c.Port);
        EXPECT_TRUE(http ? parsed.Options.HasHttp : parsed.Options.HasMqtt);
    }
}

TEST(WatchOptions, AddressTextPutsIpv6InBrackets) {
    EXPECT_EQ(HostPortText({"127.0.0.1", 8080}), "127.0.0.1:8080");
    EXPECT_EQ(HostPortText({"::1", 1883}), "[::1]:1883");
}

TEST(WatchOptions, TopicsFollowTheRulesForPublishing) {
    struct Case {
        const char* Word;
        const char* Message;
    } cases[] = {
        {"MqttTopic=plant/line1", ""},
        {"mqtttopic=a//b", ""},
        {"MqttTopic=", "Invalid MqttTopic -  (no topic)\n"},
        {"MqttTopic=plant/+/x", "Invalid MqttTopic - plant/+/x (no + or # in a topic)\n"},
        {"MqttTopic=plant/#", "Invalid MqttTopic - plant/# (no + or # in a topic)\n"},
        {"MqttTopic=$SYS/x", "Invalid MqttTopic - $SYS/x (a topic starting with $ is the broker's)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Word);
        ParsedWord parsed = Parse(c.Word);
        EXPECT_EQ(parsed.Message, c.Message);
        EXPECT_EQ(parsed.Taken, c.Message[0] == '\0' ? WordTaken::Taken : WordTaken::Rejected);
    }
    const std::string longTopic = "MqttTopic=" + std::string(1001, 'x');
    EXPECT_EQ(Parse(longTopic.c_str()).Taken, WordTaken::Rejected);
    EXPECT_EQ(DefaultMqttTopic("logs/line1"), "zelmot/line1");
    EXPECT_EQ(DefaultMqttTopic("C:\\rec\\cell+7#"), "zelmot/cell_7_");
    EXPECT_EQ(DefaultMqttTopic("line1"), "zelmot/line1");
}

TEST(WatchOptions, AlertCommandSplitsIntoWordsWithoutAShell) {
    struct Case {
        const char* Line;
        std::vector<std::string> Words;  // empty: refused
        const char* Why;
    } cases[] = {
        {"/usr/local/bin/notify --to ops", {"/usr/local/bin/notify", "--to", "ops"}, ""},
        {"mailer 'Line 1 alarm' \"x y\"", {"mailer", "Line 1 alarm", "x y"}, ""},
        {"  a\tb  ", {"a", "b"}, ""},
        {"sh -c 'rm -rf /; echo'", {"sh", "-c", "rm -rf /; echo"}, ""},
        {"notify $HOME `id` *.txt > out ; x | y",
         {"notify", "$HOME", "`id`", "*.txt", ">", "out", ";", "x", "|", "y"},
         ""},
        {"it''s", {"its"}, ""},
        {"''", {""}, ""},
        {"", {}, "no command"},
        {"   ", {}, "no command"},
        {"notify 'open", {}, "a ' quote is not closed"},
        {"notify \"open", {}, "a \" quote is not closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        std::vector<std::string> words;
        std::string why;
        const bool ok = SplitCommandWords(c.Line, words, why);
        EXPECT_EQ(ok, !c.Words.empty());
        if (ok) {
            EXPECT_EQ(words, c.Words);
        } else {
            EXPECT_EQ(why, c.Why);
        }
    }
    ParsedWord parsed = Parse("OnAlert=notify 'x");
    EXPECT_EQ(parsed.Taken, WordTaken::Rejected);
    EXPECT_EQ(parsed.Message, "Invalid OnAlert - notify 'x (a ' quote is not closed)\n");
    parsed = Parse("onalert=notify --to 'ops team'");
    EXPECT_EQ(parsed.Options.AlertCommand, (std::vector<std::string>{"notify", "--to", "ops team"}));
}

TEST(WatchOptions, AlertLevelChoosesTheSeveritiesThatRunTheCommand) {
    EXPECT_EQ(Parse("AlertAt=warning").Options.AlertAt, AlertLevel::Warning);
    EXPECT_EQ(Parse("alertat=FAULT").Options.AlertAt, AlertLevel::Fault);
    EXPECT_EQ(Parse("AlertAt=error").Message, "Invalid AlertAt - error (warning or fault)\n");
    EXPECT_EQ(WatchOptions{}.AlertAt, AlertLevel::Fault);
    struct Case {
        const char* Severity;
        bool AtWarning;
        bool AtFault;
    } cases[] = {{"fault", true, true}, {"warning", true, false}, {"info", false, false}, {"", false, false},
                 {"Fault", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Severity);
        EXPECT_EQ(ReachesAlertLevel(c.Severity, AlertLevel::Warning), c.AtWarning);
        EXPECT_EQ(ReachesAlertLevel(c.Severity, AlertLevel::Fault), c.AtFault);
    }
}

TEST(WatchOptions, OtherWordsAreLeftToTheCallerAndPairsAreChecked) {
    for (const char* word : {"NumMin=all", "Html=x.html", "Mqt=1", "From=1200"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(Parse(word).Taken, WordTaken::NotMine);
        EXPECT_EQ(Parse(word).Message, "");
    }
    std::FILE* err = std::tmpfile();
    WatchOptions options;
    options.MqttTopic = "x";
    EXPECT_FALSE(CheckWatchOptions(options, err));
    options.HasMqtt = true;
    EXPECT_TRUE(CheckWatchOptions(options, err));
    options.HasAlertAt = true;
    EXPECT_FALSE(CheckWatchOptions(options, err));
    options.AlertCommand = {"notify"};
    EXPECT_TRUE(CheckWatchOptions(options, err));
    std::rewind(err);
    char buffer[256] = {};
    std::fread(buffer, 1, sizeof buffer - 1, err);
    std::fclose(err);
    EXPECT_STREQ(buffer, "Invalid MqttTopic - no broker (Mqtt=host:port)\n"
                         "Invalid AlertAt - no alert command (OnAlert=<command>)\n");
}

TEST(WatchOptions, PeriodReportWordsTakeAFolderAndMinutesAndNeedEachOther) {
    struct Case {
        const char* Word;
        const char* Folder;
        std::uint32_t Every;
        const char* Message;  // "" when taken
    } cases[] = {
        {"report=/srv/reports", "/srv/reports", 0, ""},
        {"REPORTEVERY=525600", "", 525600, ""},
        {"Report=", "", 0, "Invalid Report -  (no folder)\n"},
        {"ReportEvery=0", "", 0, "Invalid ReportEvery - 0 (minutes 1-525600)\n"},
        {"ReportEvery=525601", "", 0, "Invalid ReportEvery - 525601 (minutes 1-525600)\n"},
        {"ReportEvery=1h", "", 0, "Invalid ReportEvery - 1h (minutes 1-525600)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Word);
        ParsedWord parsed = Parse(c.Word);
        EXPECT_EQ(parsed.Message, c.Message);
        EXPECT_EQ(parsed.Taken, c.Message[0] == '\0' ? WordTaken::Taken : WordTaken::Rejected);
        EXPECT_EQ(parsed.Options.ReportFolder, c.Folder);
        EXPECT_EQ(parsed.Options.ReportEvery, c.Every);
    }
    WatchOptions options;
    options.ReportEvery = 60;
    EXPECT_EQ(ErrorsOf([&](std::FILE* err) { EXPECT_FALSE(CheckWatchOptions(options, err)); }),
              "Invalid ReportEvery - no report folder (Report=<folder>)\n");
    options = WatchOptions{};
    options.ReportFolder = "reports";
    EXPECT_EQ(ErrorsOf([&](std::FILE* err) { EXPECT_FALSE(CheckWatchOptions(options, err)); }),
              "Invalid Report - no period (ReportEvery=<minutes>)\n");
    options.ReportEvery = 1;
    EXPECT_EQ(ErrorsOf([&](std::FILE* err) { EXPECT_TRUE(CheckWatchOptions(options, err)); }), "");
}

}  // namespace
}  // namespace zelmot
