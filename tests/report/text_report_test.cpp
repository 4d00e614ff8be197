// The text report as a person reads it: points in time as the time of day
// (truncated to the microsecond, as a converted capture shows them), and
// addresses that only got unanswered FDL-status polls on one line rather
// than as rows of dashes in the slave table.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "report/csv_report.h"
#include "report/events_report.h"
#include "report/text_report.h"

namespace zelmot {
namespace {

// The line after heading whose first word is word, within heading's section
// (up to the next empty line); "" when there is none.
std::string LineOf(const std::string& report, const std::string& heading, const std::string& word) {
    std::istringstream in(report.substr(std::min(report.find(heading), report.size())));
    std::string line;
    for (std::getline(in, line); std::getline(in, line) && !line.empty();) {
        std::string first;
        if (std::istringstream(line) >> first && first == word) return line;
    }
    return "";
}

TEST(StatsTextReport, PointsInTimeReadAsTheTimeOfDay) {
    constexpr std::int64_t kHourNs = 3'600'000'000'000;
    const std::pair<std::int64_t, std::string> cases[] = {
        {0, "00:00:00.000 000"},
        {12 * kHourNs + 40'087'999, "12:00:00.040 087"},  // nanoseconds cut off, not rounded
        {100 * kHourNs + 1'000, "100:00:00.000 001"},     // hours not reduced to a day
    };
    for (const auto& [ns, text] : cases) {
        SCOPED_TRACE(text);
        auto stats = std::make_unique<BusStats>();
        stats->Frames = 1;
        stats->FirstNs = stats->LastNs = ns;
        StationStats& master = stats->Stations[1];
        master.Listed = master.Heard = true;
        master.FirstHeardNs = master.LastHeardNs = ns;
        std::string report = TextReport(*stats);
        EXPECT_TRUE(LineOf(report, "Summary", "First").ends_with(" " + text)) << report;
        EXPECT_NE(LineOf(report, "Live list", "1").find(text + "  " + text), std::string::npos) << report;
    }
}

TEST(StatsTextReport, AddressesOnlyPolledForFdlStatusGoOnOneLine) {
    struct Case {
        const char* Name;
        std::uint64_t Requests, FdlStatusUnanswered, NoAnswerExpected, Retries, ErrorFrames;
        bool Heard;
        const char* Listed;  // its entry on the one line, or null for a row of the table
    };
    const Case cases[] = {  // at addresses 10, 11, ...
        {"only unanswered FDL-status polls", 2, 2, 0, 0, 0, false, "10"},
        {"polls and error frames naming it", 1, 1, 0, 0, 3, false, "11(3 error frames)"},
        {"polls and another request", 3, 2, 0, 0, 0, false, nullptr},
        {"polls retried", 2, 2, 0, 1, 0, false, nullptr},
        {"polls but heard", 2, 2, 0, 0, 0, true, nullptr},
        {"broadcasts only", 4, 0, 4, 0, 0, false, nullptr},
    };
    auto stats = std::make_unique<BusStats>();
    std::string line = "Only polled for FDL status, never answered (3 requests):";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        StationStats& st = stats->Stations[10 + i];
        st.Listed = st.HasSlave = true;
        st.Heard = c.Heard;
        st.ErrorFrames = c.ErrorFrames;
        st.Slave.Requests = c.Requests;
        st.Slave.FdlStatusUnanswered = c.FdlStatusUnanswered;
        st.Slave.NoAnswerExpected = c.NoAnswerExpected;
        st.Slave.Retries = c.Retries;
        if (c.Listed) line += std::string(" ") + c.Listed;
    }
    std::string report = TextReport(*stats);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(LineOf(report, "Slaves", std::to_string(10 + i)).empty(), cases[i].Listed != nullptr)
            << cases[i].Name;
    EXPECT_NE(report.find("\n" + line + "\n"), std::string::npos) << report;
    EXPECT_NE(TextReport(*std::make_unique<BusStats>()).find("\nOnly polled for FDL status, never answered (0 requests): none\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zelmot
