// Every fault scenario of zelmot-gen through zelmot-stats: the findings of
// the report are exactly what the generator's record says it put in (kind,
// station, count, a frame it cites), the near misses fire nothing of their
// rule, the report leads with the finding put in, and the default run has
// no finding at all.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <tuple>

#include "stats_run_support.h"
#include "support/case_names.h"
#include "support/gen_record.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

using Json = nlohmann::json;

struct Scenario {
    const char* Name;  // --fault word; empty: the default run
};
std::string CaseText(const Scenario& s) { return *s.Name ? s.Name : "the default run"; }
void PrintTo(const Scenario& s, std::ostream* os) { test::PrintCaseText(CaseText(s), os); }

const Scenario kScenarios[] = {
    {""},
    {"capture_gap"},     {"capture_gap_near"},      {"slave_lost"},         {"slave_lost_for_good"},
    {"common_cause"},    {"common_cause_near"},     {"slave_restart"},      {"slave_restart_diag"},
    {"watchdog_expired"}, {"watchdog_expired_near"}, {"watchdog_tight"},    {"watchdog_tight_near"},
    {"not_ready"},       {"diagnosis"},             {"errors_local"},       {"errors_local_near"},
    {"errors_spread"},   {"errors_spread_near"},    {"retries"},            {"retries_near"},
    {"slow_answers"},    {"negative_answers"},      {"double_address"},     {"device_replaced"},
    {"master_clear"},    {"master_clear_to_end"},
};

// A finding's identity: kind, station (-1: the segment), and the subject
// that splits a kind (a capture_gap's artefact, a diagnosis' bytes).
using Key = std::tuple<std::string, int, std::string>;

// The subject as the record gives it.
std::string SubjectOf(const test::GenRecordLine& line, const std::string& rule) {
    if (rule == "diagnosis") return line.Detail.at("diag");
    if (rule != "capture_gap") return "";
    const std::string artefact = line.Detail.at("artefact");
    return artefact == "negative_gap" ? "clock_step" : artefact;
}

class GeneratedFaults : public testing::TestWithParam<Scenario> {};

TEST_P(GeneratedFaults, TheReportFindsWhatTheGeneratorPutIn) {
    const Scenario& s = GetParam();
    test::TempDir dir;
    std::vector<std::string> args = {dir.Path("f"), "--minutes", "2", "--frames", "20000", "--record", dir.Path("f.csv")};
    if (*s.Name) args.insert(args.end(), {"--fault", s.Name});
    test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, args);
    ASSERT_EQ(gen.ExitCode, 0) << gen.Output;
    test::StatsRun stats = test::RunStats({dir.Path("f1200"), "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(stats.Status, 0) << stats.Err;
    const Json report = Json::parse(stats.Out);

    std::map<Key, const Json*> found;
    for (const Json& f : report["findings"]) {
        const std::string subject = f["subject"].is_string() ? f["subject"].get<std::string>() : "";
        found[{f["kind"].get<std::string>(), f["address"].is_null() ? -1 : f["address"].get<int>(), subject}] = &f;
    }
    std::set<Key> put, found_keys;
    for (const auto& [key, f] : found) found_keys.insert(key);
    std::string firstRule;
    for (const test::GenRecordLine& line : test::ReadGenRecord(dir.Path("f.csv"))) {
        if (line.Event != "fault" && line.Event != "near_miss") continue;
        const std::string rule = line.Detail.at("rule");
        // A common cause is the segment's; the record names its first slave.
        const int station = line.Station == 255 || rule == "common_cause" ? -1 : line.Station;
        if (line.Event == "near_miss") {
            for (const Key& key : found_keys) EXPECT_NE(std::get<0>(key), rule) << "near miss: " << line.DetailText;
            continue;
        }
        // The report leads with the scenario's own rule (its name begins with it).
        if (firstRule.empty() && std::string(s.Name).rfind(rule, 0) == 0) firstRule = rule;
        const Key key{rule, station, SubjectOf(line, rule)};
        put.insert(key);
        auto it = found.find(key);
        if (it == found.end()) continue;  // the set comparison below names it
        const Json& finding = *it->second;
        EXPECT_EQ(finding["count"], std::stoull(line.Detail.at("count"))) << line.DetailText;
        std::set<std::uint32_t> cited;
        for (const Json& frame : finding["evidence"]) cited.insert(frame["reference"].get<std::uint32_t>());
        EXPECT_TRUE(cited.count(static_cast<std::uint32_t>(std::stoul(line.Detail.at("ref")))))
            << line.DetailText << "\n" << finding.dump();
    }
    std::string titles;
    for (const Json& f : report["findings"]) titles += f["title"].get<std::string>() + "\n";
    EXPECT_EQ(found_keys, put) << titles;
    // A device replaced in the capture is first a slave lost (a fault); the
    // replacement itself is a note.
    if (firstRule == "device_replaced") firstRule = "slave_lost";
    if (!firstRule.empty()) {
        ASSERT_FALSE(report["findings"].empty());
        EXPECT_EQ(report["findings"][0]["kind"], firstRule) << titles;
    }
}

INSTANTIATE_TEST_SUITE_P(Stats, GeneratedFaults, testing::ValuesIn(kScenarios), test::CaseNamer{});

}  // namespace
}  // namespace zelmot
