// The HTML page as text: inserted names escaped, one <svg> per chart, the
// figures keyed for the comparison with the JSON report, and an empty run
// drawn without a NaN or a broken element.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "html/html_report.h"

namespace zelmot {
namespace {

std::size_t CountOf(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

void AddSample(DurationStats& d, std::int64_t ns) {
    AddDuration(d, ns);
    d.Mean = d.Sum / static_cast<double>(d.Count);
    d.P50 = d.P99 = d.P95 = ns;
}

std::string PageOf(const RunSettings& settings, const BusStats& stats) {
    std::string page;
    TextOut out;
    OpenTextOutMemory(out, &page);
    PutHtmlReport(out, settings, stats);
    CloseTextOut(out);
    return page;
}

TEST(HtmlReport, EscapesNamesAndKeysEveryChartAndFigure) {
    RunSettings settings;
    settings.CaptureName = "logs/<b>x&\"y'1200";
    settings.CaptureBaseName = "logs/<b>x&\"y'";
    settings.StartHour = 12;
    auto stats = std::make_unique<BusStats>();
    stats->FilesRead = 2;
    stats->Frames = 1234567;
    stats->Resyncs = 300;  // more than the times kept
    StationStats& master = stats->Stations[5];
    master.Listed = master.Heard = master.HasMaster = true;
    master.Role = StationRole::Master;
    for (std::int64_t ns : {900000, 1100000, 5000000}) AddSample(master.Master.Rotation, ns);
    StationStats& slave = stats->Stations[9];
    slave.Listed = slave.Heard = slave.HasSlave = true;
    slave.Role = StationRole::Slave;
    AddSample(slave.Slave.Response, 12345);
    stats->Stations[20].Listed = stats->Stations[20].HasSlave = true;  // silent, only polled
    stats->Rate.BinsUsed = 3;
    stats->Rate.Frames = {{10, 20, 30}};

    const std::string page = PageOf(settings, *stats);
    EXPECT_EQ(CountOf(page, "<b>"), 0u);
    EXPECT_NE(page.find("logs/&lt;b&gt;x&amp;&quot;y&#39;1200"), std::string::npos);
    EXPECT_NE(page.find("logs/&lt;b&gt;x&amp;&quot;y&#39;1201.Zelmot"), std::string::npos);  // the last file
    // Live list, traffic, one rotation histogram, response rows, gaps.
    EXPECT_EQ(CountOf(page, "<svg "), 5u);
    EXPECT_EQ(CountOf(page, "</svg>"), 5u);
    EXPECT_NE(page.find("data-key=\"capture.frames\">1,234,567<"), std::string::npos);
    EXPECT_NE(page.find("data-key=\"stations{address=5}.master.rotation_ns.max\" data-unit=\"us\">5,000.000<"),
              std::string::npos);
    EXPECT_NE(page.find("data-key=\"stations{address=9}.slave.response_ns.min\" data-unit=\"us\">12.345<"),
              std::string::npos);
    EXPECT_NE(page.find("data-key=\"stations{address=20}.role\">silent<"), std::string::npos);
    EXPECT_NE(page.find("Only the first 256 of 300 resynchronisations"), std::string::npos);
    EXPECT_NE(page.find("Not drawn: 1 addresses"), std::string::npos);  // station 20 has no row
    EXPECT_EQ(CountOf(page, ">station 20<"), 0u);
}

TEST(HtmlReport, EmptyRunDrawsEmptyCharts) {
    RunSettings settings;
    settings.CaptureName = "empty1200";
    auto stats = std::make_unique<BusStats>();
    const std::string page = PageOf(settings, *stats);
    EXPECT_EQ(CountOf(page, "<svg "), 4u);
    EXPECT_EQ(CountOf(page, "</svg>"), 4u);
    EXPECT_GE(CountOf(page, ">no data<"), 4u);
    EXPECT_NE(page.find("No master sent two tokens"), std::string::npos);
    for (const char* bad : {">nan", "\"nan", "-nan", ">inf", "\"inf", "-inf", "NaN"}) EXPECT_EQ(CountOf(page, bad), 0u) << bad;
    EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");
}

TEST(HtmlReport, UnwritableFileIsAnErrorNamingIt) {
    RunSettings settings;
    settings.CaptureName = "x1200";
    auto stats = std::make_unique<BusStats>();
    const Outcome result = WriteHtmlReport("/nonexistent-folder/report.html", settings, *stats);
    ASSERT_TRUE(result.IsError());
    EXPECT_NE(result.Text.find("/nonexistent-folder/report.html"), std::string::npos);
}

}  // namespace
}  // namespace zelmot
