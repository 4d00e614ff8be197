// The live page from the bundled example's figures: it reloads itself,
// fetches and runs nothing, escapes what it inserts, shows each DP slave's
// state, the stations with their roles, the findings and the events in the
// order given; and headless Chromium, where installed, renders each slave's
// state (the DOM it builds from the page).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/process_runner.h"
#include "watch/live_page.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

const std::vector<LiveFinding> kLiveFindings = {
    {"fault", 3'723'000'000'000, "slave 7 dropped out of data exchange <script>alert(1)</script>"},
    {"warning", 43'200'040'087'000, "slave 9 answers slowly & late"},
};
const std::vector<std::string> kEvents = {"12:00:03.127 456 slave 7: data exchange -> offline",
                                          "12:00:00.040 102 slave 5: (new) -> diagnosis"};

std::string ExamplePage(const BusStats& stats) {
    LivePageInput input;
    input.Name = "demo\"1200";
    input.Status = "following demo1202.Zelmot; last record 0.4 s ago";
    input.Stats = &stats;
    input.Findings = kLiveFindings;
    input.Events = kEvents;
    return LivePageHtml(input);
}

TEST(LivePage, ReloadsItselfFetchesNothingAndEscapesWhatItShows) {
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const std::string page = ExamplePage(*stats);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
    EXPECT_NE(page.find("<meta http-equiv=\"refresh\" content=\"2\">"), std::string::npos);
    for (const char* outside : {"<script", " src=", "href=", "<link", "@import", "url(", "<iframe", "<object"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("<title>Live: demo&quot;1200</title>"), std::string::npos);
    EXPECT_NE(page.find("answers slowly &amp; late"), std::string::npos);
    EXPECT_NE(page.find("following demo1202.Zelmot; last record 0.4 s ago"), std::string::npos);
    EXPECT_TRUE(page.ends_with("</html>\n"));
}

TEST(LivePage, ShowsEachSlavesStateTheStationsTheFindingsAndTheEvents) {
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const std::string page = ExamplePage(*stats);
    std::size_t slaves = 0;
    std::size_t listed = 0;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& s = stats->Stations[a];
        listed += s.Listed ? 1 : 0;
        if (!s.Dp.Active) continue;
        ++slaves;
        const std::string row = "<tr data-address=\"" + std::to_string(a) + "\">";
        const std::size_t at = page.find(row);
        ASSERT_NE(at, std::string::npos) << row;
        const std::string line = page.substr(at, page.find("</tr>", at) - at);
        const char* words = s.Dp.State == DpState::DataExchange ? ">data exchange<"
                            : s.Dp.State == DpState::None       ? ">(new)<"
                                                                : nullptr;
        if (words != nullptr) {
            EXPECT_NE(line.find(words), std::string::npos) << line;
        }
    }
    EXPECT_GT(slaves, 3u);
    EXPECT_EQ(Count(page, "<tr data-address="), slaves);
    const std::size_t stationsAt = page.find("<table class=\"stations\">");
    ASSERT_NE(stationsAt, std::string::npos);
    const std::string stations = page.substr(stationsAt, page.find("</table>", stationsAt) - stationsAt);
    EXPECT_EQ(Count(stations, "<tr>") - 1, listed);  // the header row less
    EXPECT_NE(stations.find("<td>master</td>"), std::string::npos);
    EXPECT_NE(stations.find("<td>slave</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"fault\">fault</td><td class=\"n\">01:02:03.000 000</td>"), std::string::npos);
    const std::size_t first = page.find("<li>12:00:03.127 456 slave 7: data exchange -&gt; offline</li>");
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(first, page.find("<li>12:00:00.040 102 slave 5: (new) -&gt; diagnosis</li>"));
    EXPECT_NE(page.find("<svg"), std::string::npos);  // the live list grid
}

TEST(LivePage, SaysSoWhenThereIsNothingYet) {
    BusStats empty;
    LivePageInput input;
    input.Name = "line1";
    input.Stats = &empty;
    const std::string page = LivePageHtml(input);
    EXPECT_NE(page.find("No findings."), std::string::npos);
    EXPECT_NE(page.find("No DP slave yet."), std::string::npos);
    EXPECT_NE(page.find("No events yet."), std::string::npos);
}

TEST(LivePage, HeadlessChromiumShowsEachSlavesState) {
    if (const char* why = test::RealServersSkipped()) GTEST_SKIP() << why;
    if (test::kWindows || test::HeadlessBrowser().empty()) GTEST_SKIP() << "no headless Chromium";
    auto stats = test::ExampleStats();
    ASSERT_NE(stats, nullptr);
    const fs::path dir = fs::temp_directory_path() / "zelmot-live-page";
    fs::create_directories(dir);
    const fs::path page = dir / "live.html";
    {
        std::ofstream out(page, std::ios::binary);
        out << ExamplePage(*stats);
    }
    const test::ProcessRun run = test::BrowserDom(test::HeadlessBrowser(), "file://" + page.string(), dir / "profile");
    fs::remove_all(dir);
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    // The DOM the browser built: every slave's row with its state.
    for (std::size_t a = 0; a < kStationCount; ++a) {
        if (!stats->Stations[a].Dp.Active) continue;
        EXPECT_NE(run.Output.find("<tr data-address=\"" + std::to_string(a) + "\">"), std::string::npos) << a;
    }
    EXPECT_NE(run.Output.find("data exchange"), std::string::npos);
    EXPECT_NE(run.Output.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
}

}  // namespace
}  // namespace zelmot
