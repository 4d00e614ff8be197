// A generated before/after pair end to end: the after capture held against
// the before capture's JSON report names each change the generator made
// (by the kind it shows as), at the station it made it and nowhere else,
// worse ones first.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <map>
#include <set>
#include <string>

#include "stats_run_support.h"
#include "support/gen_record.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

using Json = nlohmann::json;

// The kind of change each plant change shows as, at its station.
const std::map<std::string, std::string> kShowsAs = {
    {"ident", "ident"},         {"module", "module"},   {"parameter", "parameter"}, {"watchdog", "watchdog"},
    {"gone", "role_changed"},   {"errors", "damaged_share"}, {"slow", "response_time"},
};

TEST(BaselinePair, TheChangesMadeAndNoOther) {
    test::TempDir dir;
    const std::vector<std::string> plant = {"--minutes", "2", "--frames", "20000", "--seed", "3"};
    auto generate = [&](const std::string& stem, const std::vector<std::string>& more) {
        std::vector<std::string> args{dir.Path(stem)};
        args.insert(args.end(), plant.begin(), plant.end());
        args.insert(args.end(), more.begin(), more.end());
        test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, args);
        ASSERT_EQ(gen.ExitCode, 0) << gen.Output;
    };
    generate("before", {});
    generate("after", {"--record", dir.Path("after.csv"), "--change",
                       "ident=5,module=6,parameter=7,watchdog=8,gone=9,errors=10,slow=11"});
    test::StatsRun before = test::RunStats({dir.Path("before1200"), "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(before.Status, 0) << before.Err;
    test::WriteText(dir.Path("before.json"), before.Out);
    test::StatsRun after = test::RunStats(
        {dir.Path("after1200"), "NumMin=all", "Format=json", "Baseline=" + dir.Path("before.json")}, dir);
    ASSERT_EQ(after.Status, 0) << after.Err;
    const Json report = Json::parse(after.Out);
    EXPECT_EQ(report["baseline"]["capture"], "before1200");
    EXPECT_EQ(report["baseline"]["schema"], 1);

    std::set<std::pair<std::string, int>> made;
    for (const test::GenRecordLine& line : test::ReadGenRecord(dir.Path("after.csv")))
        if (line.Event == "change") made.insert({kShowsAs.at(line.Detail.at("rule")), line.Station});
    ASSERT_EQ(made.size(), kShowsAs.size());

    std::set<std::pair<std::string, int>> shown;
    std::set<int> changedStations;
    for (const auto& [kind, station] : made) changedStations.insert(station);
    std::string words;
    int lastGroup = 0;
    for (const Json& change : report["changes"]) {
        words += change["words"].get<std::string>() + "\n";
        const int address = change["address"].is_null() ? -1 : change["address"].get<int>();
        shown.insert({change["kind"].get<std::string>(), address});
        EXPECT_TRUE(changedStations.count(address)) << "a change where none was made: " << change.dump();
        const int group = change["worse"].is_null() ? 1 : change["worse"].get<bool>() ? 0 : 2;
        EXPECT_GE(group, lastGroup) << "worse first: " << words;
        lastGroup = group;
    }
    for (const auto& expected : made)
        EXPECT_TRUE(shown.count(expected)) << expected.first << " at " << expected.second << "\n" << words;
}

}  // namespace
}  // namespace zelmot
