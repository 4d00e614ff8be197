// The findings' rules on hand-built runs in memory: one row per rule where
// it fires, and the near misses where it must not (four damaged frames, a
// poll interval just under half the watchdog, two drops 150 ms apart, ...).
// Master 1 polls slaves 5 and 6 every 10 ms unless a row says otherwise.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "analysis/findings.h"
#include "analysis_support.h"
#include "dp_traffic.h"
#include "report/finding_words.h"
#include "support/case_names.h"

namespace zelmot {
namespace {

using test::Bytes;
using test::Timeline;

constexpr std::uint8_t kM = 1;
constexpr std::uint16_t kIdentA = 0x80E0;
constexpr std::uint16_t kIdentB = 0x806A;

// Watchdog off; 1 s; 50 ms.
const Bytes kNoWatchdog = test::Parameters(0, 0, 0x82C1);
const Bytes kOneSecond = test::Parameters(10, 10, 0x82C1);
const Bytes kFiftyMs = test::Parameters(5, 1, 0x82C1);

Timeline Running(const std::vector<std::uint8_t>& slaves = {5}, const Bytes& prm = kOneSecond, double periodMs = 10) {
    Timeline t;
    for (std::uint8_t slave : slaves) t.StartUp(kM, slave, prm);
    t.Cycles(kM, slaves, 20, periodMs);
    return t;
}

void Lose(Timeline& t, std::uint8_t slave, int times = 3) {
    for (int i = 0; i < times; ++i) t.Unanswered(test::ExchangeRequest(kM, slave), kM);
}

void Diag(Timeline& t, std::uint8_t slave, const Bytes& data) {
    t.Add(test::SapRequest(kM, slave, 60, {}));
    t.Add(test::SapAnswer(kM, slave, 60, data));
}

struct FindingCase {
    const char* Name;
    std::function<void(Timeline&)> Build;
    std::set<std::string> Fires;   // "kind@address" ("@-" for the segment): these and no other finding
    std::string TitleHas;          // in the title of the first finding that Fires names first
};

std::string CaseText(const FindingCase& c) { return c.Name; }
void PrintTo(const FindingCase& c, std::ostream* os) { test::PrintCaseText(c.Name, os); }

const FindingCase kFindingCases[] = {
    {"a clean run", [](Timeline& t) { t = Running({5, 6}); t.Cycles(kM, {5, 6}, 100, 10); }, {}, ""},
    {"a lost record boundary", [](Timeline& t) { t = Running(); t.LostBoundary(); t.Cycles(kM, {5}, 5, 10); },
     {"capture_gap@-"}, "lost the record boundary once"},
    {"the clock steps back",
     [](Timeline& t) { t = Running(); t.Now = t.LastEnd - 2 * test::kTicksPerMs; t.Cycles(kM, {5}, 5, 10); },
     {"capture_gap@-"}, "clock stepped back once"},
    {"a gap of 5 bit times", [](Timeline& t) { t = Running(); t.AddAfter(5, test::Token(kM, kM)); t.Cycles(kM, {5}, 5, 10); },
     {"capture_gap@-"}, "less than 11 bit times"},
    {"a gap of exactly 11 bit times is bus traffic",
     [](Timeline& t) { t = Running(); t.AddAfter(11, test::Token(kM, kM)); t.Cycles(kM, {5}, 5, 10); }, {}, ""},
    {"a slave stops answering", [](Timeline& t) { t = Running(); Lose(t, 5); t.Cycles(kM, {}, 5, 10); },
     {"slave_lost@5"}, "not back in data exchange by the end"},
    {"a slave lost and back",
     [](Timeline& t) { t = Running(); Lose(t, 5); t.StartUp(kM, 5, kOneSecond); t.Cycles(kM, {5}, 5, 10); },
     {"slave_lost@5", "retries@5"}, "back in data exchange at"},
    {"two unanswered requests, then an answer",
     [](Timeline& t) { t = Running(); Lose(t, 5, 2); t.Cycles(kM, {5}, 5, 10); }, {}, ""},
    {"a lost slave next to a lost record boundary",
     [](Timeline& t) { t = Running(); t.LostBoundary(); Lose(t, 5); },
     {"capture_gap@-", "slave_lost@5"}, "lost the record boundary"},
    {"two slaves drop within 100 ms",
     [](Timeline& t) { t = Running({5, 6}); Lose(t, 5); t.Wait(40); Lose(t, 6); },
     {"common_cause@-"}, "slaves 5 and 6 dropped out within"},
    {"two drops 150 ms apart",
     [](Timeline& t) { t = Running({5, 6}); Lose(t, 5); t.Wait(150); Lose(t, 6); },
     {"slave_lost@5", "slave_lost@6"}, ""},
    {"Data_Exchange answered with RS",
     [](Timeline& t) {
         t = Running({5}, kNoWatchdog);
         t.Add(test::ExchangeRequest(kM, 5));
         t.Add(test::Refusal(kM, 5, 3));
     },
     {"slave_restart@5"}, "answered Data_Exchange with RS"},
    {"the watchdog runs out",
     [](Timeline& t) {
         t = Running({5}, kFiftyMs);
         t.Wait(62);
         t.Add(test::ExchangeRequest(kM, 5));
         t.Add(test::Refusal(kM, 5, 3));
     },
     {"watchdog_expired@5"}, "master 1 did not address slave 5 for 72"},
    {"the watchdog runs out and the slave asks for parameters",
     [](Timeline& t) {
         t = Running({5}, kFiftyMs);
         t.Wait(80);
         Diag(t, 5, test::Diagnosis(0x02, 0x05, 0xFF, 0x82C1));
     },
     {"watchdog_expired@5"}, "its watchdog is 50 ms"},
    {"a restart within the watchdog",
     [](Timeline& t) {
         t = Running({5}, kFiftyMs);
         Diag(t, 5, test::Diagnosis(0x02, 0x05, 0xFF, 0x82C1));
     },
     {"slave_restart@5"}, "asks for new parameters"},
    {"polls more than half the watchdog apart", [](Timeline& t) { t = Running({5}, kFiftyMs, 26); },
     {"watchdog_tight@5"}, "52% of its watchdog of 50 ms"},
    {"polls just under half the watchdog apart", [](Timeline& t) { t = Running({5}, kFiftyMs, 24); }, {}, ""},
    {"a configuration the slave refuses",
     [](Timeline& t) {
         for (int i = 0; i < 3; ++i) {
             Diag(t, 5, test::Diagnosis(0x02, 0x05, 0xFF, 0x82C1));
             t.Add(test::SapRequest(kM, 5, 61, kOneSecond));
             t.Add(test::ShortAck());
             t.Add(test::SapRequest(kM, 5, 62, {0x10, 0x21}));
             t.Add(test::ShortAck());
             Diag(t, 5, test::Diagnosis(0x06, 0x0C, kM, 0x82C1));
             t.Add(test::SapRequest(kM, 5, 59, {}));
             t.Add(test::SapAnswer(kM, 5, 59, {0x10, 0x23}));
             t.Add(test::Token(kM, kM));
             t.Wait(10);
         }
     },
     {"not_ready@5"}, "from slot 1 on: master 0x21, slave 0x23"},
    {"a new slave waiting at address 126",
     [](Timeline& t) {
         t = Running();
         Diag(t, 126, test::Diagnosis(0x02, 0x05, 0xFF, 0x82C1));
         t.Add(test::Token(kM, kM));
     },
     {}, ""},
    {"diagnoses in data exchange",
     [](Timeline& t) {
         t = Running();
         const Bytes shortCircuit = test::Diagnosis(0x08, 0x0C, kM, 0x82C1, {0x88, 0x41, 0x21});
         Diag(t, 5, shortCircuit);
         t.Cycles(kM, {5}, 3, 10);
         Diag(t, 5, shortCircuit);
         Diag(t, 5, test::Diagnosis(0x00, 0x0E, kM, 0x82C1));
         t.Cycles(kM, {5}, 3, 10);
     },
     {"diagnosis@5"}, "reports a diagnosis in data exchange twice"},
    {"five damaged frames of one station",
     [](Timeline& t) {
         t = Running({5, 6});
         for (int i = 0; i < 100; ++i) {
             t.Exchange(kM, 5);
             t.Add(test::ExchangeRequest(kM, 6));
             t.Add(test::ExchangeAnswer(kM, 6), i % 20 == 0 ? 0x40 : 0);
             t.Add(test::Token(kM, kM));
         }
     },
     {"errors_local@6"}, "5 damaged frames from station 6"},
    {"four damaged frames of one station",
     [](Timeline& t) {
         t = Running({5, 6});
         for (int i = 0; i < 1000; ++i) {
             t.Exchange(kM, 5);
             t.Add(test::ExchangeRequest(kM, 6));
             t.Add(test::ExchangeAnswer(kM, 6), i % 250 == 0 ? 0x40 : 0);
             t.Add(test::Token(kM, kM));
         }
     },
     {}, ""},
    {"damaged frames spread over the stations",
     [](Timeline& t) {
         t = Running({5, 6});
         for (int i = 0; i < 500; ++i) {
             t.Add(test::ExchangeRequest(kM, 5), i % 125 == 1 ? 0x02 : 0);
             t.Add(test::ExchangeAnswer(kM, 5), i % 125 == 2 ? 0x40 : 0);
             t.Add(test::ExchangeRequest(kM, 6));
             t.Add(test::ExchangeAnswer(kM, 6), i % 125 == 3 ? 0x80 : 0);
             t.Add(test::Token(kM, kM));
         }
     },
     {"errors_spread@-"}, "of all frames damaged"},
    {"three retries in a hundred requests",
     [](Timeline& t) {
         t = Running();
         for (int i = 0; i < 100; ++i) {
             if (i % 34 == 0) t.Retried(test::ExchangeRequest(kM, 5), test::ExchangeAnswer(kM, 5));
             else t.Exchange(kM, 5);
             t.Add(test::Token(kM, kM));
         }
     },
     {"retries@5"}, "slave 5 needed 3 retries"},
    {"two retries",
     [](Timeline& t) {
         t = Running();
         for (int i = 0; i < 100; ++i) {
             if (i % 50 == 0) t.Retried(test::ExchangeRequest(kM, 5), test::ExchangeAnswer(kM, 5));
             else t.Exchange(kM, 5);
         }
     },
     {}, ""},
    {"an answer at 87% of the slot time",
     [](Timeline& t) {
         t = Running();
         t.Retried(test::ExchangeRequest(kM, 5), test::ExchangeAnswer(kM, 5), 300);
         t.Add(test::ExchangeRequest(kM, 5));
         t.AddAfter(260, test::ExchangeAnswer(kM, 5));
     },
     {"slow_answers@5"}, "slot time about 300.0 bit times, from 1 retry"},
    {"an answer at 77% of the slot time",
     [](Timeline& t) {
         t = Running();
         t.Retried(test::ExchangeRequest(kM, 5), test::ExchangeAnswer(kM, 5), 300);
         t.Add(test::ExchangeRequest(kM, 5));
         t.AddAfter(230, test::ExchangeAnswer(kM, 5));
     },
     {}, ""},
    {"Get_Cfg refused",
     [](Timeline& t) {
         t = Running();
         for (int i = 0; i < 2; ++i) {
             t.Add(test::SapRequest(kM, 5, 59, {}));
             t.Add(test::Refusal(kM, 5, 3));
         }
     },
     {"negative_answers@5"}, "RS to Get_Cfg twice"},
    {"two idents alternate",
     [](Timeline& t) {
         for (std::uint16_t ident : {kIdentA, kIdentB, kIdentA}) Diag(t, 9, test::Diagnosis(0x00, 0x0C, kM, ident));
         t.Add(test::Token(kM, kM));
     },
     {"double_address@9", "not_ready@9"}, "idents 0x80E0 and 0x806A alternate"},
    {"an ident that changes and stays",
     [](Timeline& t) {
         for (std::uint16_t ident : {kIdentA, kIdentB, kIdentB}) Diag(t, 9, test::Diagnosis(0x00, 0x0C, kM, ident));
         t.Add(test::Token(kM, kM));
     },
     {"device_replaced@9", "not_ready@9"}, "slave 9 was 0x80E0, is 0x806A from"},
    {"a master in CLEAR",
     [](Timeline& t) {
         t = Running();
         t.Add(test::GlobalControlFrame(kM, 0x02));
         t.Cycles(kM, {5}, 3, 10);
         t.Add(test::GlobalControlFrame(kM, 0x00));
         t.Cycles(kM, {5}, 3, 10);
     },
     {"master_clear@1"}, "addressing slave 5"},
    {"a silent bus", [](Timeline& t) { t = Running({5}, kNoWatchdog); t.Wait(1500); t.Cycles(kM, {5}, 3, 10); },
     {"bus_silent@-"}, "no frame for 1.5"},
    {"frames of no known kind",
     [](Timeline& t) {
         t = Running();
         for (int i = 0; i < 5; ++i) t.Add(Bytes{0x00, 0x01});
     },
     {"unknown_frames@-"}, "of no known kind"},
};

class FindingRules : public testing::TestWithParam<FindingCase> {};

TEST_P(FindingRules, FireWhereDefinedAndNowhereElse) {
    const FindingCase& c = GetParam();
    Timeline t;
    c.Build(t);
    t.Add(test::Token(kM, kM));  // the look-ahead record
    const auto stats = test::AnalyseFrames(t.Frames);
    const GsdMatches matches;
    const std::vector<Finding> findings = FindFindings(*stats, matches);
    std::set<std::string> fired;
    std::string titles;
    for (const Finding& f : findings) {
        fired.insert(std::string(FindingKindName(f.Kind)) + "@" + (f.Address < 0 ? "-" : std::to_string(f.Address)));
        titles += FindingWords(f, *stats, matches).Title + "\n";
    }
    EXPECT_EQ(fired, c.Fires) << titles;
    if (!c.TitleHas.empty()) {
        EXPECT_NE(titles.find(c.TitleHas), std::string::npos) << titles;
    }
}

INSTANTIATE_TEST_SUITE_P(Analysis, FindingRules, testing::ValuesIn(kFindingCases), test::CaseNamer{});

}  // namespace
}  // namespace zelmot
