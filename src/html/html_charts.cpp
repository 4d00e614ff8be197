// The charts of the HTML report, built from the figures: the live list grid,
// the traffic series with resynchronisations, a token rotation histogram per
// master, response-time rows per slave and the gap histogram. Durations are
// drawn in microseconds, gaps in bit times.
#include <algorithm>
#include <bit>
#include <cassert>
#include <map>
#include <string>

#include "html/html_charts.h"
#include "html/html_text.h"
#include "html/svg_chart.h"
#include "report/number_text.h"

namespace zelmot {

namespace {

std::string StationLabel(std::size_t address) { return "station " + std::to_string(address); }

// The duration buckets merged into bars a sixteenth of an octave wide (their
// edges are edges of the buckets, which split each octave linearly), in µs.
std::vector<HistogramBar> SixteenthOctaveBars(const DurationStats& d) {
    std::map<std::int64_t, HistogramBar> bars;  // by lower edge, ns
    for (std::size_t b = 0; b < kDurationBucketCount; ++b) {
        const std::uint32_t samples = DurationBucketSamples(d, b);
        if (samples == 0) continue;
        const std::int64_t low = std::max<std::int64_t>(DurationBucketLow(b), 1);
        const int octave = 63 - std::countl_zero(static_cast<std::uint64_t>(low));
        const std::int64_t base = std::int64_t{1} << octave;
        const std::int64_t width = octave >= 4 ? base / 16 : 1;
        const std::int64_t from = base + (low - base) / width * width;
        HistogramBar& bar = bars[from];
        bar.From = static_cast<double>(from) / 1000.0;
        bar.To = static_cast<double>(from + width) / 1000.0;
        bar.Count += samples;
    }
    std::vector<HistogramBar> result;
    for (const auto& entry : bars) result.push_back(entry.second);
    return result;
}

}  // namespace

void OpenFigure(TextOut& out) { PutText(out, "<figure>\n"); }

void CloseFigure(TextOut& out, const std::string& caption) {
    PutText(out, "<figcaption>");
    PutEscaped(out, caption);
    PutText(out, "</figcaption>\n</figure>\n");
}

void PutLiveListChart(TextOut& out, const BusStats& stats) {
    std::array<AddressCell, 128> cells{};
    assert(stats.Stations.size() == cells.size());
    for (std::size_t a = 0; a < cells.size(); ++a) {
        const StationStats& s = stats.Stations[a];
        if (!s.Listed) continue;
        switch (s.Role) {
        case StationRole::Master: cells[a].Role = CellRole::Master; break;
        case StationRole::Slave: cells[a].Role = CellRole::Slave; break;
        case StationRole::Both: cells[a].Role = CellRole::Both; break;
        case StationRole::Silent: cells[a].Role = CellRole::Silent; break;
        }
        cells[a].ErrorFrames = s.ErrorFrames > 0;
        cells[a].Unanswered = s.HasSlave && s.Slave.Unanswered > 0;
    }
    OpenFigure(out);
    PutAddressGrid(out, "Live list: the 128 addresses by role", cells);
    CloseFigure(out, "Address = row + column. Silent addresses were only addressed by requests (or named by "
                     "error frames) and never heard.");
}

void PutTrafficChart(TextOut& out, const BusStats& stats) {
    const RateSeries& rate = stats.Rate;
    assert(rate.BinsUsed <= kRateBinLimit && rate.BinSeconds >= 1);
    const std::size_t bins = rate.BinsUsed;
    const double binSeconds = static_cast<double>(rate.BinSeconds);
    TimeSeriesChart chart;
    chart.Title = "Traffic over time: frames and error frames per second";
    chart.StartNs = rate.StartNs;
    chart.BinNs = static_cast<std::int64_t>(binSeconds) * 1000000000;
    SeriesPanel frames{"frames per second", "frames/s", Colour::Blue, {}};
    SeriesPanel errors{"error frames per second", "error frames/s", Colour::Vermillion, {}};
    for (std::size_t i = 0; i < bins; ++i) {
        frames.Values.push_back(static_cast<double>(rate.Frames[i]) / binSeconds);
        errors.Values.push_back(static_cast<double>(rate.ErrorFrames[i]) / binSeconds);
    }
    chart.Panels = {frames, errors};
    const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(stats.Resyncs, kResyncTimesKept));
    for (std::size_t i = 0; i < kept; ++i) chart.MarkerNs.push_back(stats.ResyncTimes[i].AtNs);
    chart.MarkerName = "resynchronisations";
    OpenFigure(out);
    PutTimeSeriesChart(out, chart);
    std::string caption = "Binning: " + GroupedUnsigned(bins) + " bins of " +
                          GroupedUnsigned(static_cast<std::uint64_t>(binSeconds)) +
                          " s from the first frame in the window (" + ClockText(rate.StartNs, 3) +
                          "). Bins start one second wide; a run longer than " + GroupedUnsigned(kRateBinLimit) +
                          " bins merges neighbouring pairs and doubles the width, as often as needed. "
                          "Values are frames per bin divided by the bin width.";
    if (stats.Resyncs > kept)
        caption += " Only the first " + GroupedUnsigned(kept) + " of " + GroupedUnsigned(stats.Resyncs) +
                   " resynchronisations are marked.";
    CloseFigure(out, caption);
}

void PutRotationCharts(TextOut& out, const BusStats& stats) {
    bool any = false;
    for (std::size_t a = 0; a < stats.Stations.size(); ++a) {
        const StationStats& s = stats.Stations[a];
        if (!s.Listed || !s.HasMaster || s.Master.Rotation.Count == 0) continue;
        const DurationStats& r = s.Master.Rotation;
        HistogramChart chart;
        chart.Title = StationLabel(a) + ": token rotation time";
        chart.XUnit = "token rotation time (\xC2\xB5s)";
        chart.Bars = SixteenthOctaveBars(r);
        chart.Markers = {{"min", static_cast<double>(r.Min) / 1000.0, Colour::Green},
                         {"mean", r.Mean / 1000.0, Colour::Orange},
                         {"p99", static_cast<double>(r.P99) / 1000.0, Colour::Vermillion},
                         {"max", static_cast<double>(r.Max) / 1000.0, Colour::Black}};
        OpenFigure(out);
        PutHistogramChart(out, chart);
        CloseFigure(out, "Master " + std::to_string(a) + ": " + GroupedUnsigned(r.Count) +
                             " rotations, bars a sixteenth of an octave wide; marker values in \xC2\xB5s.");
        any = true;
    }
    if (!any) PutText(out, "<p>No master sent two tokens: no rotation time.</p>\n");
}

void PutResponseChart(TextOut& out, const BusStats& stats) {
    // Rows for the slaves with a response time, unanswered requests or
    // retries; addresses that only got requests expecting no answer or
    // FDL-status polls are counted in the caption.
    std::vector<std::size_t> slaves;
    std::uint64_t quiet = 0;
    for (std::size_t a = 0; a < stats.Stations.size(); ++a) {
        const StationStats& s = stats.Stations[a];
        if (!s.Listed || !s.HasSlave) continue;
        if (s.Slave.Response.Count > 0 || s.Slave.Unanswered > 0 || s.Slave.Retries > 0) slaves.push_back(a);
        else ++quiet;
    }
    // Slowest first: by 99th percentile, then mean; unanswered-only rows last.
    std::stable_sort(slaves.begin(), slaves.end(), [&](std::size_t x, std::size_t y) {
        const SlaveFigures& a = stats.Stations[x].Slave;
        const SlaveFigures& b = stats.Stations[y].Slave;
        if ((a.Response.Count > 0) != (b.Response.Count > 0)) return a.Response.Count > 0;
        if (a.Response.Count == 0) return a.Unanswered > b.Unanswered;
        if (a.Response.P99 != b.Response.P99) return a.Response.P99 > b.Response.P99;
        return a.Response.Mean > b.Response.Mean;
    });
    RangeChart chart;
    chart.Title = "Response time per slave, slowest first";
    chart.XUnit = "response time (\xC2\xB5s)";
    for (std::size_t a : slaves) {
        const SlaveFigures& v = stats.Stations[a].Slave;
        RangeRow row;
        row.Label = StationLabel(a);
        row.HasSamples = v.Response.Count > 0;
        row.Min = static_cast<double>(v.Response.Min) / 1000.0;
        row.P50 = static_cast<double>(v.Response.P50) / 1000.0;
        row.Mean = v.Response.Mean / 1000.0;
        row.P99 = static_cast<double>(v.Response.P99) / 1000.0;
        row.Max = static_cast<double>(v.Response.Max) / 1000.0;
        row.Note = "unanswered " + GroupedUnsigned(v.Unanswered) + ", retries " + GroupedUnsigned(v.Retries);
        row.NoteAlert = v.Unanswered > 0 || v.Retries > 0;
        chart.Rows.push_back(row);
    }
    OpenFigure(out);
    PutRangeChart(out, chart);
    std::string caption = "Response time: the answering frame's gap. Unanswered leaves out requests that "
                          "expect no answer and FDL-status requests.";
    if (quiet > 0)
        caption += " Not drawn: " + GroupedUnsigned(quiet) +
                   " addresses with neither a response time nor an unanswered request or retry (see the slave "
                   "table).";
    CloseFigure(out, caption);
}

void PutGapChart(TextOut& out, const BusStats& stats) {
    HistogramChart chart;
    chart.Title = "Gap histogram of the whole bus";
    chart.XUnit = "bus idle time before the frame (bit times)";
    for (std::size_t b = 0; b < kGapBucketCount; ++b) {
        if (stats.GapBuckets[b] == 0) continue;
        chart.Bars.push_back({static_cast<double>(GapBucketFromBits(b)), static_cast<double>(GapBucketToBits(b)),
                              stats.GapBuckets[b]});
    }
    OpenFigure(out);
    PutHistogramChart(out, chart);
    CloseFigure(out, "One bar per power of two of bit times; the first bar, [0, 1), also holds negative gaps.");
}

}  // namespace zelmot
