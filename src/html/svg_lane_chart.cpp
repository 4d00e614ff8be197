// The lane chart: a legend, then one lane per row, its spans snapped to a
// half-pixel grid so that spans and marks too close to tell apart merge
// (the span in force at a grid point wins), the bands over the lanes, and
// the clock axis below.
#include <algorithm>
#include <cassert>
#include <cmath>

#include "html/svg_lane_chart.h"
#include "html/svg_marks.h"

namespace zelmot {
namespace {

constexpr double kTop = 58;          // two legend rows
constexpr double kLaneHeight = 20;
constexpr double kLaneGap = 4;       // painted height: kLaneHeight - kLaneGap
constexpr double kMarkSize = 5;
constexpr Look kLaneBackground{.Fill = Colour::PaleGrey, .Stroke = Colour::SilverGrey, .StrokeWidth = 0.5};
constexpr Look kBand{.Fill = Colour::Black, .FillOpacity = 0.14, .Stroke = Colour::Black, .StrokeWidth = 1,
                     .Dash = "4 3", .StrokeOpacity = 0.6};

// A pixel position on the half-pixel grid.
double Snap(double x) { return std::round(x * 2) / 2; }

double XOf(const AxisScale& scale, std::int64_t startNs, std::int64_t ns) {
    return Snap(ToPixel(scale, static_cast<double>(ns - startNs) / 1e9));
}

Look MarkLook(Colour colour) { return {.Fill = colour, .Stroke = Colour::Black, .StrokeWidth = 0.5}; }

// A diamond (shape 0), a downward triangle (shape 1) or a square (shape 2)
// with its top at y.
void PutMark(SvgWriter& svg, double x, double y, std::size_t shape, const Look& look) {
    if (shape == 0)
        PutPath(svg, {"M", Px(x), " ", Px(y), "l", Px(kMarkSize), " ", Px(kMarkSize), "l-", Px(kMarkSize), " ",
                      Px(kMarkSize), "l-", Px(kMarkSize), " -", Px(kMarkSize), "Z"},
                look);
    else if (shape == 1)
        PutPath(svg, {"M", Px(x - kMarkSize), " ", Px(y), "h", Px(2 * kMarkSize), "l-", Px(kMarkSize), " ",
                      Px(1.6 * kMarkSize), "Z"},
                look);
    else
        PutPath(svg, {"M", Px(x - 0.8 * kMarkSize), " ", Px(y), "h", Px(1.6 * kMarkSize), "v", Px(1.6 * kMarkSize),
                      "h-", Px(1.6 * kMarkSize), "Z"},
                look);
}

void PutSpans(SvgWriter& svg, const Lane& lane, const AxisScale& scale, const LaneChart& chart, double y) {
    const double height = kLaneHeight - kLaneGap;
    const double end = XOf(scale, chart.StartNs, chart.EndNs);
    for (std::size_t i = 0; i < lane.Spans.size(); ++i) {
        const LaneSpan& span = lane.Spans[i];
        if (span.Fill == Colour::None) continue;
        double from = std::max(XOf(scale, chart.StartNs, span.FromNs), scale.PixelLo);
        // Later spans of the same colour continue this one.
        std::size_t last = i;
        while (last + 1 < lane.Spans.size() && lane.Spans[last + 1].Fill == span.Fill) ++last;
        const double to = last + 1 < lane.Spans.size() ? XOf(scale, chart.StartNs, lane.Spans[last + 1].FromNs) : end;
        i = last;
        if (to > from) PutRect(svg, from, y, to - from, height, {.Fill = span.Fill});
    }
}

void PutMarks(SvgWriter& svg, const Lane& lane, const AxisScale& scale, const LaneChart& chart, double y) {
    double lastX[kMarkShapes] = {-1, -1, -1};
    for (const LaneMark& mark : lane.Marks) {
        assert(mark.Key < chart.MarkKeys.size() && mark.Key < kMarkShapes);
        const double x = XOf(scale, chart.StartNs, mark.Ns);
        if (x == lastX[mark.Key] || x < scale.PixelLo || x > scale.PixelHi) continue;
        lastX[mark.Key] = x;
        PutMark(svg, x, y, mark.Key, MarkLook(chart.MarkKeys[mark.Key].Colour));
    }
}

void PutLegend(SvgWriter& svg, const LaneChart& chart) {
    double x = kChartLeft;
    for (const LaneKey& key : chart.SpanKeys) {
        OpenLegendEntry(svg, x, 14);
        PutBoxSwatch(svg, 6, {.Fill = key.Colour});
        x = CloseLegendEntry(svg, x, 14, key.Name);
    }
    x = kChartLeft;
    for (std::size_t i = 0; i < chart.MarkKeys.size(); ++i) {
        OpenLegendEntry(svg, x, 36);
        PutMark(svg, 8, -kMarkSize, i, MarkLook(chart.MarkKeys[i].Colour));
        x = CloseLegendEntry(svg, x, 36, chart.MarkKeys[i].Name);
    }
    if (chart.BandName.empty()) return;
    OpenLegendEntry(svg, x, 36);
    PutBoxSwatch(svg, 6, kBand);
    CloseLegendEntry(svg, x, 36, chart.BandName);
}

}  // namespace

void PutLaneChart(TextOut& out, const LaneChart& chart) {
    assert(chart.EndNs > chart.StartNs && chart.MarkKeys.size() <= kMarkShapes);
    const double lanes = static_cast<double>(std::max<std::size_t>(chart.Lanes.size(), 1));
    const PlotArea area{kChartLeft, kTop, kChartWidth - kChartLeft - kChartRight, lanes * kLaneHeight};
    SvgWriter svg{&out};
    OpenChart(svg, area.Bottom() + 50, chart.Title);
    PutLegend(svg, chart);
    const AxisScale scale{0, static_cast<double>(chart.EndNs - chart.StartNs) / 1e9, false, area.Left, area.Right()};
    if (chart.Lanes.empty()) PutNoData(svg, area);
    double y = area.Top + kLaneGap / 2;
    for (const Lane& lane : chart.Lanes) {
        PutLabel(svg, area.Left - 8, y + kLaneHeight / 2 + 2, "end", kTickText, lane.Label);
        PutRect(svg, area.Left, y, area.Width, kLaneHeight - kLaneGap, kLaneBackground);
        PutSpans(svg, lane, scale, chart, y);
        PutMarks(svg, lane, scale, chart, y);
        y += kLaneHeight;
    }
    for (const LaneBand& band : chart.Bands) {
        const double from = std::max(XOf(scale, chart.StartNs, band.FromNs), area.Left);
        const double to = std::min(XOf(scale, chart.StartNs, band.ToNs), area.Right());
        if (to < from) continue;
        PutRect(svg, from, area.Top, std::max(to - from, 1.0), area.Height, kBand);
        PutLabel(svg, from + 2, area.Top - 3, "start", kMarkText, band.Label);
    }
    PutLine(svg, area.Left, area.Bottom(), area.Right(), area.Bottom(), kAxisLine);
    PutClockAxis(svg, scale, chart.StartNs, chart.EndNs, area.Bottom());
    CloseChart(svg);
}

}  // namespace zelmot
