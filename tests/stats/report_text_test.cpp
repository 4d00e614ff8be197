// The text report as a person reads it: points in time as the time of day
// (truncated to the microsecond, as a converted capture shows them), and
// addresses that only got unanswered FDL-status polls on one line rather
// than as rows of dashes in the slave table.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "stats/report_formats.h"

namespace zelmot {
namespace {

constexpr std::int64_t kSecondNs = 1'000'000'000;

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The line of a section (named by its heading) whose first word is word.
std::string RowOf(const std::string& report, const std::string& heading, const std::string& word) {
    bool inSection = false;
    for (const std::string& line : LinesOf(report)) {
        if (line.rfind(heading, 0) == 0) inSection = true;
        else if (line.empty()) inSection = false;
        std::istringstream words(line);
        std::string first;
        if (inSection && words >> first && first == word) return line;
    }
    return "";
}

std::string LineStartingWith(const std::string& report, const std::string& start) {
    for (const std::string& line : LinesOf(report))
        if (line.rfind(start, 0) == 0) return line;
    return "";
}

TEST(StatsTextReport, PointsInTimeReadAsTheTimeOfDay) {
    struct Case {
        const char* Name;
        std::int64_t Ns;
        const char* Text;
    };
    const Case cases[] = {
        {"midnight", 0, "00:00:00.000 000"},
        {"noon, the nanoseconds cut off", 12 * 3600 * kSecondNs + 40'087'999, "12:00:00.040 087"},
        {"last microsecond of a day", 24 * 3600 * kSecondNs - 1, "23:59:59.999 999"},
        {"hours beyond a day", 100 * 3600 * kSecondNs + 1'000, "100:00:00.000 001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto stats = std::make_unique<BusStats>();
        stats->Frames = 2;
        stats->FirstNs = c.Ns;
        stats->LastNs = c.Ns + 1'500'000;
        StationStats& master = stats->Stations[1];
        master.Listed = master.Heard = true;
        master.Role = StationRole::Master;
        master.FirstHeardNs = c.Ns;
        master.LastHeardNs = c.Ns;
        std::string report = TextReport(*stats);
        std::string first = LineStartingWith(report, "  First frame");
        EXPECT_EQ(first.substr(first.size() - std::string(c.Text).size()), c.Text) << first;
        std::string row = RowOf(report, "Live list", "1");
        EXPECT_NE(row.find(std::string(c.Text) + "  " + c.Text), std::string::npos) << row;
    }
}

TEST(StatsTextReport, AddressesOnlyPolledForFdlStatusGoOnOneLine) {
    struct Case {
        const char* Name;
        std::uint64_t Requests, FdlStatusUnanswered, Unanswered, NoAnswerExpected, Retries, ErrorFrames;
        bool Heard;
        bool OnTheLine;
    };
    // Each case at its own address, from 10 on.
    const Case cases[] = {
        {"only unanswered FDL-status polls", 2, 2, 0, 0, 0, 0, false, true},
        {"polls and error frames naming it", 1, 1, 0, 0, 0, 3, false, true},
        {"polls and another unanswered request", 3, 2, 1, 0, 0, 0, false, false},
        {"polls retried", 2, 2, 0, 0, 1, 0, false, false},
        {"polls but heard", 2, 2, 0, 0, 0, 0, true, false},
        {"broadcasts only", 4, 0, 0, 4, 0, 0, false, false},
    };
    auto stats = std::make_unique<BusStats>();
    std::uint64_t polls = 0;
    std::string line;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        StationStats& st = stats->Stations[10 + i];
        st.Listed = st.HasSlave = true;
        st.Heard = c.Heard;
        st.Role = c.Heard ? StationRole::Slave : StationRole::Silent;
        st.ErrorFrames = c.ErrorFrames;
        st.Slave.Requests = c.Requests;
        st.Slave.FdlStatusUnanswered = c.FdlStatusUnanswered;
        st.Slave.Unanswered = c.Unanswered;
        st.Slave.NoAnswerExpected = c.NoAnswerExpected;
        st.Slave.Retries = c.Retries;
        if (!c.OnTheLine) continue;
        polls += c.Requests;
        line += (line.empty() ? "" : " ") + std::to_string(10 + i);
        if (c.ErrorFrames > 0) line += "(" + std::to_string(c.ErrorFrames) + " error frames)";
    }
    std::string report = TextReport(*stats);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Name);
        EXPECT_EQ(RowOf(report, "Slaves", std::to_string(10 + i)).empty(), cases[i].OnTheLine);
    }
    EXPECT_EQ(LineStartingWith(report, "Only polled"),
              "Only polled for FDL status, never answered (" + std::to_string(polls) + " requests): " + line);

    auto none = std::make_unique<BusStats>();
    EXPECT_EQ(LineStartingWith(TextReport(*none), "Only polled"),
              "Only polled for FDL status, never answered (0 requests): none");
}

}  // namespace
}  // namespace zelmot
