// The findings at the top of the reports: the text report's section (the
// verdict line, each finding's severity, time, title, cause, check and
// frames) and the JSON report's "verdict" and "findings" with their keys.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analysis/analysis_support.h"
#include "analysis/dp_traffic.h"
#include "report/report_document.h"
#include "report/text_report.h"

namespace zelmot {
namespace {

// Master 1 and slave 5 in data exchange, then slave 5 stops answering.
std::unique_ptr<BusStats> LostSlave(bool lose) {
    test::Timeline t;
    t.StartUp(1, 5, test::Parameters(10, 10, 0x82C1));
    t.Cycles(1, {5}, 10, 10);
    if (lose)
        for (int i = 0; i < 3; ++i) t.Unanswered(test::ExchangeRequest(1, 5), 1);
    t.Add(test::Token(1, 1));
    return test::AnalyseFrames(t.Frames);
}

TEST(FindingsReport, TextOpensWithTheVerdictAndEachFinding) {
    const std::string text = TextReport(*LostSlave(true));
    ASSERT_EQ(text.rfind("Findings: 1 fault, no warnings, no notes\n  fault    00:00:00.", 0), 0u) << text;
    const std::string block = text.substr(0, text.find("\nSummary"));
    for (const char* part : {"slave 5 stopped answering at", "(3 DP requests in a row unanswered)",
                             "\n                         Cause: Power, cable or connector at the slave",
                             "\n                         Check: Check the slave's power supply",
                             "\n                         Frames: "})
        EXPECT_NE(block.find(part), std::string::npos) << part << "\n" << block;
    EXPECT_EQ(TextReport(*LostSlave(false)).rfind("Findings: no findings\n\nSummary", 0), 0u);
}

TEST(FindingsReport, JsonHoldsTheVerdictAndEveryKeyOfAFinding) {
    const auto stats = LostSlave(true);
    const nlohmann::json document = nlohmann::json::parse(BuildReportDocument(*stats).dump());
    EXPECT_EQ(document["verdict"], (nlohmann::json{{"faults", 1}, {"warnings", 0}, {"notes", 0}}));
    ASSERT_EQ(document["findings"].size(), 1u);
    const nlohmann::json& finding = document["findings"][0];
    EXPECT_EQ(finding["kind"], "slave_lost");
    EXPECT_EQ(finding["severity"], "fault");
    EXPECT_EQ(finding["address"], 5);
    EXPECT_EQ(finding["count"], 1);
    EXPECT_LE(finding["first_ns"].get<std::int64_t>(), finding["last_ns"].get<std::int64_t>());
    ASSERT_EQ(finding["evidence"].size(), 3u);  // the three unanswered requests
    std::uint32_t reference = 0;
    for (const nlohmann::json& frame : finding["evidence"]) {
        EXPECT_GT(frame["reference"].get<std::uint32_t>(), reference);
        reference = frame["reference"].get<std::uint32_t>();
        EXPECT_TRUE(frame["ns"].is_number_integer());
    }
    for (const char* key : {"title", "cause", "check"}) EXPECT_FALSE(finding[key].get<std::string>().empty()) << key;
    const nlohmann::json clean = nlohmann::json::parse(BuildReportDocument(*LostSlave(false)).dump());
    EXPECT_EQ(clean["findings"], nlohmann::json::array());
    EXPECT_EQ(clean["verdict"]["faults"], 0);
}

}  // namespace
}  // namespace zelmot
