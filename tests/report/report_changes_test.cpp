// The comparison with a baseline on small hand-made reports: one row per
// rule where it finds a change, with the near misses where it must not, and
// the order of the changes (worse first, the findings' faults before the
// figures). A report compared with itself has no changes.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "report/report_changes.h"
#include "support/case_names.h"

namespace zelmot {
namespace {

using Json = ReportDocument;

// Two hours of a master 1 and a DP slave 7 with a module and a parameter
// named by its GSD file.
Json Baseline() {
    return Json::parse(R"({
      "schema": 1, "verdict": {"faults": 0, "warnings": 1, "notes": 0},
      "findings": [{"kind": "retries", "severity": "warning", "address": 7, "count": 20, "title": "slave 7 needed 20 retries",
                    "subject": null}],
      "capture": {"name": "before1200", "first_ns": 0, "span_ns": 7200000000000, "baud": 12000000,
                  "frames_per_second_avg": 3000.0, "bus_load_percent": 30.0},
      "stations": [
        {"address": 1, "role": "master", "error_frames": 2, "frames": 10000000,
         "master": {"rotation_ns": {"count": 1000, "p99": 2000000, "max": 2500000}}, "slave": null, "dp": null, "gsd": null},
        {"address": 7, "role": "slave", "error_frames": 2, "frames": 10000000, "master": null,
         "slave": {"requests": 10000000, "retries": 20, "unanswered": 10, "response_bits": {"p99": 100.0, "max": 120.0}},
         "dp": {"ident": 32992, "state": "data_exchange", "entries": 2, "drop_outs": 1,
                "prm": {"station_status_bits": ["WD_On"], "watchdog_ms": 1000, "min_tsdr_bits": 11, "group": 0, "user_prm_hex": "000102"},
                "cfg": {"modules": [{"hex": "10"}, {"hex": "20"}]},
                "diag": {"last": {"bits": ["WD_On"], "ext": [], "hex": "000c00078090"}}},
         "gsd": {"vendor": "Acme", "model": "IO 8", "modules": [{"name": "8 DI DC24V"}, {"name": "8 DO DC24V"}],
                 "prm": [{"name": "Input filter", "value": 1, "text": "10 ms", "slot": null}]}}]})");
}

Json& SlaveOf(Json& report) { return report["stations"][1]; }

struct ChangesCase {
    const char* Name;
    std::function<void(Json&)> Change;   // turns the baseline into this capture's report
    std::set<std::string> Kinds;         // "kind@address:worse" (worse: 1, 0 or -)
    std::string WordsHave;               // in the first change's words
};

std::string CaseText(const ChangesCase& c) { return c.Name; }
void PrintTo(const ChangesCase& c, std::ostream* os) { test::PrintCaseText(c.Name, os); }

const ChangesCase kCases[] = {
    {"the same report", [](Json&) {}, {}, ""},
    {"ten minutes at the same rates",
     [](Json& r) {
         r["capture"]["span_ns"] = 600000000000;
         r["findings"][0]["count"] = 2;
         SlaveOf(r)["dp"]["drop_outs"] = 0;
         SlaveOf(r)["dp"]["entries"] = 0;
     },
     {}, ""},
    {"a slave vanished", [](Json& r) { r["stations"].erase(1); r["findings"] = Json::array(); },
     {"station_vanished@7:1", "finding_gone@7:0"},
     "slave 7 vanished (was slave)"},
    {"a station appeared",
     [](Json& r) { r["stations"].push_back(Json::parse(R"({"address": 9, "role": "slave", "error_frames": 0})")); },
     {"station_appeared@9:-"}, "slave 9 appeared (slave)"},
    {"a master falls silent",
     [](Json& r) { r["stations"][0]["role"] = "silent"; },
     {"role_changed@1:1", "masters@-1:1"}, "masters 1 -> none"},
    {"a slave falls silent",
     [](Json& r) { SlaveOf(r)["role"] = "silent"; SlaveOf(r)["slave"] = nullptr; SlaveOf(r)["dp"] = nullptr; },
     {"role_changed@7:1"}, "slave 7: fell silent (was slave; addressed, never heard)"},
    {"damaged frames up", [](Json& r) { SlaveOf(r)["error_frames"] = 1400; },
     {"damaged_share@7:1"}, "slave 7: damaged frames 0.00% -> 0.01% (worse)"},
    {"damaged frames doubled but only 3 more", [](Json& r) { SlaveOf(r)["error_frames"] = 5; }, {}, ""},
    {"damaged frames down", [](Json& r) { r["stations"][0]["error_frames"] = 0; SlaveOf(r)["frames"] = 10000000; }, {}, ""},
    {"retries up", [](Json& r) { SlaveOf(r)["slave"]["retries"] = 60; r["findings"][0]["count"] = 60; },
     {"retries@7:1", "finding_more@7:1"}, ""},
    {"answers slower", [](Json& r) { SlaveOf(r)["slave"]["response_bits"]["p99"] = 125.0; },
     {"response_time@7:1"}, "response time p99 100.0 -> 125.0 bit times (max 120.0 -> 120.0)"},
    {"answers faster", [](Json& r) { SlaveOf(r)["slave"]["response_bits"]["p99"] = 40.0; }, {"response_time@7:0"}, ""},
    {"answers 8 bit times slower", [](Json& r) { SlaveOf(r)["slave"]["response_bits"]["p99"] = 108.0; }, {}, ""},
    {"token rotation 30% longer", [](Json& r) { r["stations"][0]["master"]["rotation_ns"]["p99"] = 2600000; },
     {"token_rotation@1:1"}, "master 1: token rotation p99 2.000 -> 2.600 ms"},
    {"token rotation 15% longer", [](Json& r) { r["stations"][0]["master"]["rotation_ns"]["p99"] = 2300000; }, {}, ""},
    {"a replaced slave",
     [](Json& r) {
         SlaveOf(r)["dp"]["ident"] = 32874;
         SlaveOf(r)["gsd"]["model"] = "IO 16";
     },
     {"ident@7:-", "device@7:-"}, "slave 7: ident 0x80E0 -> 0x806A"},
    {"a slave left data exchange",
     [](Json& r) {
         SlaveOf(r)["dp"]["state"] = "offline";
         SlaveOf(r)["dp"]["drop_outs"] = 5;
     },
     {"dp_state@7:1", "dp_drop_outs@7:1"}, ""},
    {"watchdog, min_Tsdr and group",
     [](Json& r) {
         SlaveOf(r)["dp"]["prm"]["watchdog_ms"] = 50;
         SlaveOf(r)["dp"]["prm"]["min_tsdr_bits"] = 20;
         SlaveOf(r)["dp"]["prm"]["group"] = 4;
     },
     {"watchdog@7:-", "min_tsdr@7:-", "group@7:-"}, "slave 7: watchdog 1,000 ms -> 50 ms"},
    {"a module changed",
     [](Json& r) {
         SlaveOf(r)["dp"]["cfg"]["modules"][0]["hex"] = "11";
         SlaveOf(r)["gsd"]["modules"][0]["name"] = "16 DI DC24V";
     },
     {"module@7:-"}, "slave 7: module 0 was '8 DI DC24V', now '16 DI DC24V'"},
    {"a parameter changed", [](Json& r) {
         SlaveOf(r)["gsd"]["prm"][0]["value"] = 3;
         SlaveOf(r)["gsd"]["prm"][0]["text"] = "3 ms";
     },
     {"parameter@7:-"}, "slave 7: parameter 'Input filter' 1 (10 ms) -> 3 (3 ms)"},
    {"a parameter byte changed, no GSD", [](Json& r) {
         SlaveOf(r)["gsd"] = nullptr;
         SlaveOf(r)["dp"]["prm"]["user_prm_hex"] = "000103";
     },
     {"parameter@7:-"}, "slave 7: user parameter byte 2 0x02 -> 0x03"},
    {"a diagnosis now", [](Json& r) {
         SlaveOf(r)["dp"]["diag"]["last"] = Json::parse(R"({"bits": ["Ext_Diag", "WD_On"], "ext": [1], "hex": "080c00078090"})");
     },
     {"diagnosis@7:1"}, "slave 7: last diagnosis WD_On -> Ext_Diag, WD_On, extended"},
    {"a new fault and a gone warning, sorted first",
     [](Json& r) {
         r["findings"] = Json::parse(R"([{"kind": "slave_lost", "severity": "fault", "address": 7, "count": 1,
                                          "title": "slave 7 stopped answering", "subject": null}])");
         r["capture"]["bus_load_percent"] = 45.0;
     },
     {"finding_new@7:1", "finding_gone@7:0", "bus_load@-1:-"}, "new fault slave_lost at slave 7: slave 7 stopped answering"},
    {"another bit rate", [](Json& r) { r["capture"]["baud"] = 1500000; }, {"bit_rate@-1:-"}, "bit rate 12,000,000 -> 1,500,000 bit/s"},
};

class Changes : public testing::TestWithParam<ChangesCase> {};

TEST_P(Changes, FoundByTheirRulesWorseFirst) {
    const ChangesCase& c = GetParam();
    const Json before = Baseline();
    Json after = before;
    c.Change(after);
    const std::vector<Change> changes = CompareReports(before, after);
    std::set<std::string> kinds;
    std::string words;
    int lastGroup = -1;
    for (const Change& change : changes) {
        kinds.insert(change.Kind + "@" + std::to_string(change.Address) + ":" +
                     (change.Worse ? (*change.Worse ? "1" : "0") : "-"));
        words += change.Words + "\n";
        const int group = !change.Worse ? 1 : *change.Worse ? 0 : 2;
        EXPECT_GE(group, lastGroup) << "worse, then neither, then better";
        lastGroup = group;
    }
    EXPECT_EQ(kinds, c.Kinds) << words;
    if (!c.WordsHave.empty()) {
        ASSERT_FALSE(changes.empty());
        EXPECT_NE(changes.front().Words.find(c.WordsHave), std::string::npos) << words;
    }
}

INSTANTIATE_TEST_SUITE_P(Report, Changes, testing::ValuesIn(kCases), test::CaseNamer{});

}  // namespace
}  // namespace zelmot
