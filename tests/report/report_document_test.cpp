// Key paths into the report document, as the HTML page's data-key and the
// CSV columns use them: selectors by field, nulls of figures that do not
// exist, and nothing for a path that names no figure.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/csv_report.h"
#include "report/events_report.h"
#include "report/key_path.h"
#include "report/report_document.h"
#include "report/text_report.h"

namespace zelmot {
namespace {

void AddSample(DurationStats& d, std::int64_t ns) {
    d.Min = d.Count == 0 ? ns : std::min(d.Min, ns);
    d.Max = d.Count == 0 ? ns : std::max(d.Max, ns);
    ++d.Count;
    d.Sum += static_cast<double>(ns);
    d.Mean = d.Sum / static_cast<double>(d.Count);
    d.P50 = d.P95 = d.P99 = ns;
}

// Station 5 is master and slave with samples, station 9 only a slave.
std::unique_ptr<BusStats> TwoStations() {
    auto stats = std::make_unique<BusStats>();
    StationStats& both = stats->Stations[5];
    both.Listed = both.Heard = both.HasMaster = both.HasSlave = true;
    both.Role = StationRole::Both;
    both.Master.Tokens = 7;
    AddSample(both.Master.Rotation, 1000);
    AddSample(both.Master.Rotation, 2001);
    AddSample(both.Slave.Response, 300);
    StationStats& slave = stats->Stations[9];
    slave.Listed = slave.HasSlave = true;
    slave.Slave.Requests = 4;
    stats->ErrorsByBit[1] = 3;
    stats->GapBuckets[7] = 11;
    return stats;
}

TEST(ReportDocument, KeyPathsFindFiguresNullsAndNothing) {
    const ReportDocument document = BuildReportDocument(*TwoStations());
    struct Case {
        const char* Path;
        std::optional<ReportDocument> Expected;  // nothing: the path names no figure
    };
    const Case cases[] = {
        {"stations{address=5}.master.tokens", 7},
        {"stations{address=5}.master.rotation_ns.mean", 1500.5},
        {"stations{address=5}.role", "both"},
        {"stations{address=9}.slave.requests", 4},
        {"stations{address=9}.master.tokens", nullptr},   // a slave has no master figures
        {"stations{address=9}.first_ns", nullptr},        // never heard
        {"errors.by_bit.STSPAR", 3},
        {"gaps{from_bits=64}.count", 11},
        {"gaps{from_bits=64}.to_bits", 128},
        {"stations{address=6}.role", std::nullopt},       // not listed
        {"stations{address=5}.master.nonesuch", std::nullopt},
        {"capture.frames.more", std::nullopt},            // below a number
        {"stations{address=five}.role", std::nullopt},
        {"stations{address=5.role", std::nullopt},
        {"stations{role=5}.role", std::nullopt},
    };
    for (const Case& c : cases) {
        const ReportDocument* found = FindReportValue(document, c.Path);
        if (!c.Expected) {
            EXPECT_EQ(found, nullptr) << c.Path;
        } else {
            ASSERT_NE(found, nullptr) << c.Path;
            EXPECT_EQ(*found, *c.Expected) << c.Path;
        }
    }
    // A row's key selects that row again.
    for (const ReportRow& row : ReportRows(document, "stations", "address"))
        EXPECT_EQ(FindReportValue(document, row.Key), row.Values) << row.Key;
}

// Every CSV column names a figure of a station: one with every figure
// fills every cell, one without master figures leaves those empty.
TEST(ReportDocument, CsvColumnsReadEveryFigureOfAStation) {
    const std::string csv = CsvReport(*TwoStations());
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find('\n', at);
        lines.push_back(csv.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 3u);
    const auto cells = [](const std::string& line) { return std::count(line.begin(), line.end(), ',') + 1; };
    EXPECT_EQ(cells(lines[1]), cells(lines[0]));
    EXPECT_EQ(cells(lines[2]), cells(lines[0]));
    EXPECT_EQ(lines[1].find(",,"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(0, 34), "5,both,0,0,0,7,2,1000,1500.500,200");
    EXPECT_EQ(lines[2].substr(0, 11), "9,silent,,,");
}

}  // namespace
}  // namespace zelmot
