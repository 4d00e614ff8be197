// The generator's DP scenarios read back by zelmot-stats: every line of the
// generator's record names a frame, and the report's events must show at
// that frame what the generator put into it (a state change, a diagnosis
// with its bits and blocks, a wrong ident, a Global_Control, a negative
// answer); and every wrong ident, negative answer and DP-V1 refusal the
// report finds is one the generator made.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "stats_run_support.h"
#include "support/gen_record.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

using Json = nlohmann::json;

long Number(const std::string& text) { return std::stol(text, nullptr, 0); }

// The report's events of one address at one time.
std::vector<Json> EventsAt(const Json& events, std::int64_t ns, int address) {
    std::vector<Json> found;
    for (const Json& e : events)
        if (e["ns"] == ns && e["address"] == address) found.push_back(e);
    return found;
}

bool HasEvent(const std::vector<Json>& events, const Json& wanted) {
    for (const Json& e : events) {
        bool all = true;
        for (const auto& [key, value] : wanted.items()) all = all && e.contains(key) && e[key] == value;
        if (all) return true;
    }
    return false;
}

// The last diagnosis event of a station at or before ns.
const Json* LastDiag(const Json& events, std::int64_t ns, int address) {
    const Json* last = nullptr;
    for (const Json& e : events)
        if (e["kind"] == "diag" && e["address"] == address && e["ns"] <= ns) last = &e;
    return last;
}

bool HasBit(const Json& diag, const char* bit) {
    for (const Json& b : diag["bits"])
        if (b == bit) return true;
    return false;
}

// The block types of an ext_diag record line, in frame order as the
// generator lists them.
Json BlockTypes(const std::string& detailWords) {
    Json types = Json::array();
    std::stringstream words(detailWords);
    for (std::string word; words >> word;) types.push_back(word.substr(0, word.find('=')));
    return types;
}

TEST(DpScenarios, TheReportRecoversWhatTheGeneratorDid) {
    test::TempDir dir;
    const std::vector<std::string> genWords =
        test::SplitWords("sc --frames 20000 --dp-scenario all --record " + dir.Path("rec.csv"));
    test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, genWords, test::ProcessOptions{dir.path().string(), false});
    ASSERT_EQ(gen.ExitCode, 0) << gen.Errors;
    test::StatsRun run = test::RunStats({dir.Path("sc1200"), "NumMin=all", "Format=json"}, dir);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const Json doc = Json::parse(run.Out);
    const Json& events = doc["events"];
    ASSERT_EQ(doc["events_dropped"], 0);

    std::map<std::string, int> checked;
    std::map<int, std::int64_t> dropoutStart;
    const std::vector<test::GenRecordLine> record = test::ReadGenRecord(dir.Path("rec.csv"));
    for (const test::GenRecordLine& r : record) {
        SCOPED_TRACE(r.Event + " of " + std::to_string(r.Station) + " at " + std::to_string(r.Ns));
        const std::vector<Json> here = EventsAt(events, r.Ns, r.Event.rfind("clear_", 0) == 0 ? r.Master : r.Station);
        const std::map<std::string, std::string>& d = r.Detail;
        if (r.Event == "data_exchange") {
            EXPECT_TRUE(HasEvent(here, {{"kind", "state"}, {"to", "data_exchange"}}));
        } else if (r.Event == "dropout_start") {
            dropoutStart[r.Station] = r.Ns;
        } else if (r.Event == "dropout_end") {
            // Offline after the third unanswered request, back with this answer.
            EXPECT_TRUE(HasEvent(here, {{"kind", "state"}, {"from", "offline"}}));
            bool offline = false;
            for (const Json& e : events)
                offline = offline || (e["address"] == r.Station && e["kind"] == "state" && e["to"] == "offline" &&
                                      e["ns"] > dropoutStart.at(r.Station) && e["ns"] < r.Ns);
            EXPECT_TRUE(offline);
        } else if (r.Event == "ext_diag") {
            Json types = Json::array();
            for (const Json& e : here)
                if (e["kind"] == "diag")
                    for (const Json& block : e["ext"]) types.push_back(block["type"]);
            EXPECT_EQ(types, BlockTypes(r.DetailText));
        } else if (r.Event == "diag_clear") {
            EXPECT_TRUE(HasEvent(here, {{"kind", "diag"}, {"ext", Json::array()}}));
        } else if (r.Event == "cfg_fault" || r.Event == "prm_fault") {
            // Repeated diagnoses make no event: the last one reported holds the bit.
            const Json* diag = LastDiag(events, r.Ns, r.Station);
            ASSERT_NE(diag, nullptr);
            EXPECT_TRUE(HasBit(*diag, r.Event == "cfg_fault" ? "Cfg_Fault" : "Prm_Fault")) << *diag;
        } else if (r.Event == "wrong_ident") {
            EXPECT_TRUE(HasEvent(here, {{"kind", "ident_mismatch"},
                                        {"prm_ident", Number(d.at("sent"))},
                                        {"diag_ident", Number(d.at("ident"))}}));
        } else if (r.Event == "clear_on" || r.Event == "clear_off") {
            EXPECT_TRUE(HasEvent(here, {{"kind", "global_control"},
                                        {"commands", Number(d.at("command"))},
                                        {"group", Number(d.at("group"))}}));
        } else if (r.Event == "dpv1_error") {
            EXPECT_TRUE(HasEvent(here, {{"kind", "dpv1_error"},
                                        {"error_decode", Number(d.at("error_decode"))},
                                        {"error_code_1", Number(d.at("error_code_1"))},
                                        {"error_code_2", Number(d.at("error_code_2"))}}));
        } else if (r.Event == "rs_answer") {
            EXPECT_TRUE(HasEvent(here, {{"kind", "negative"}, {"response", "RS"}, {"service", d.at("service")}}));
        } else {
            continue;  // lost, alarm_ack, dpv1_read: no event of their own
        }
        ++checked[r.Event];
    }
    for (const char* kind : {"data_exchange", "dropout_end", "ext_diag", "diag_clear", "cfg_fault", "prm_fault",
                             "wrong_ident", "clear_on", "clear_off", "dpv1_error", "rs_answer"})
        EXPECT_GT(checked[kind], 0) << kind;

    // No finding the generator did not make.
    std::map<std::string, int> found;
    for (const Json& e : events) ++found[e["kind"].get<std::string>()];
    EXPECT_EQ(found["ident_mismatch"], checked["wrong_ident"]);
    EXPECT_EQ(found["negative"], checked["rs_answer"]);
    EXPECT_EQ(found["dpv1_error"], checked["dpv1_error"]);
}

}  // namespace
}  // namespace zelmot
