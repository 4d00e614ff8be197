// Writes the charts as inline SVG through the element writer; geometry is
// computed here. The style sheet (PutChartStyle) gives the fonts, the text
// colours and the axis and grid lines by class (chart, axis, grid, tick,
// unit, legend, mark, cell, note, alert). The marks that carry the data --
// series, bars, markers, boxes, address cells -- are painted by attributes
// from the looks below, each look written in one place.
#include "html/svg_chart.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "common/keyed_rows.h"
#include "html/chart_axis.h"
#include "html/html_text.h"
#include "html/svg_marks.h"
#include "report/number_text.h"

namespace zelmot {

namespace {

constexpr double kWidth = kChartWidth;
constexpr double kLeft = kChartLeft;
constexpr double kRight = kChartRight;
constexpr int kMaxYTicks = 6;
constexpr int kMaxXTicks = kChartMaxXTicks;
constexpr std::size_t kMaxMarkerLines = 40;

constexpr Look kEventMark{.Fill = Colour::Purple};
constexpr Look kEventLine{.Stroke = Colour::Purple, .StrokeWidth = 1.2, .Dash = "4 3", .StrokeOpacity = 0.8};
constexpr Look kBar{.Fill = Colour::Sky, .Stroke = Colour::White, .StrokeWidth = 0.5};
constexpr Look kWhisker{.Stroke = Colour::Black, .StrokeWidth = 2};
constexpr Look kBox{.Fill = Colour::Sky, .Stroke = Colour::Blue};
constexpr Look kBoxSwatch{.Fill = Colour::Sky};
constexpr Look kMeanMark{.Fill = Colour::Orange, .Stroke = Colour::Black};
constexpr Look kMeanSwatch{.Fill = Colour::Orange};
constexpr Look kErrorCorner{.Fill = Colour::Vermillion, .Stroke = Colour::Black, .StrokeWidth = 0.5};
constexpr Look kUnansweredDot{.Fill = Colour::Yellow, .Stroke = Colour::Black};

// Dash patterns that keep marker lines apart without their colours.
constexpr const char* kDashes[] = {"none", "6 3", "2 2", "8 3 2 3", "1 3"};
constexpr std::size_t kDashCount = std::size(kDashes);

Look SeriesAreaLook(Colour colour) { return {.Fill = colour, .FillOpacity = 0.18, .Stroke = Colour::None}; }
Look SeriesLineLook(Colour colour) { return {.Fill = Colour::None, .Stroke = colour, .StrokeWidth = 1.5}; }
Look MarkerLineLook(Colour colour, const char* dash) { return {.Stroke = colour, .StrokeWidth = 2, .Dash = dash}; }
Look LegendLineLook(Colour colour, const char* dash) { return {.Stroke = colour, .StrokeWidth = 3, .Dash = dash}; }

[[maybe_unused]] bool IsValidScale(const AxisScale& scale) { return scale.Hi > scale.Lo && (!scale.Log || scale.Lo > 0); }

int DecimalsFor(double value) {
    if (!(value > 0) || value >= 1) return 0;
    return std::min(9, static_cast<int>(std::ceil(-std::log10(value) - 1e-9)));
}

// A linear y axis from 0 to at least top: grid lines, tick labels, unit.
AxisScale PutCountAxis(SvgWriter& svg, const PlotArea& area, double top, const std::string& unit) {
    assert(top >= 0);
    const LinearTicks ticks = MakeLinearTicks(0, std::max(top, 1.0), kMaxYTicks);
    const double hi = TickValue(ticks, ticks.Count - 1);
    AxisScale scale{0, hi, false, area.Bottom(), area.Top};
    for (int i = 0; i < ticks.Count; ++i) {
        const double value = TickValue(ticks, i);
        const double y = ToPixel(scale, value);
        PutLine(svg, area.Left, y, area.Right(), y, kGridLine);
        PutLabel(svg, area.Left - 6, y + 4, "end", kTickText, GroupedFixed(value, ticks.Decimals));
    }
    OpenSvgElement(svg, "text");
    PutLook(svg, kUnitText);
    PutSvgAttribute(svg, "text-anchor", "middle");
    PutSvgAttribute(svg, "transform", {"translate(14 ", Px(area.Top + area.Height / 2), ") rotate(-90)"});
    PutSvgText(svg, unit);
    CloseSvgElement(svg);
    PutLine(svg, area.Left, area.Bottom(), area.Right(), area.Bottom(), kAxisLine);
    PutLine(svg, area.Left, area.Top, area.Left, area.Bottom(), kAxisLine);
    return scale;
}

// Tick marks and labels of a numeric x axis below area, and its unit.
void PutValueAxisX(SvgWriter& svg, const PlotArea& area, const AxisScale& scale, const std::vector<double>& values,
                   int decimals, const std::string& unit) {
    assert(IsValidScale(scale));
    PutLine(svg, area.Left, area.Bottom(), area.Right(), area.Bottom(), kAxisLine);
    for (double value : values) {
        const double x = ToPixel(scale, value);
        PutLine(svg, x, area.Bottom(), x, area.Bottom() + 5, kAxisLine);
        PutLabel(svg, x, area.Bottom() + 18, "middle", kTickText,
                 GroupedFixed(value, scale.Log ? DecimalsFor(value) : decimals));
    }
    PutLabel(svg, area.Left + area.Width / 2, area.Bottom() + 36, "middle", kUnitText,
             scale.Log ? unit + ", log scale" : unit);
}

// Tick values of a linear or log x axis over [lo, hi].
std::vector<double> AxisValues(const AxisScale& scale, int* decimals) {
    assert(IsValidScale(scale));
    std::vector<double> values;
    *decimals = 0;
    if (scale.Log) return MakeLogTicks(scale.Lo, scale.Hi, kMaxXTicks);
    const LinearTicks ticks = MakeLinearTicks(scale.Lo, scale.Hi, kMaxXTicks);
    *decimals = ticks.Decimals;
    for (int i = 0; i < ticks.Count; ++i) {
        const double value = TickValue(ticks, i);
        if (value >= scale.Lo - ticks.Step * 1e-6 && value <= scale.Hi + ticks.Step * 1e-6) values.push_back(value);
    }
    return values;
}

// The stepped line of a series, one level per bin, as path data.
std::string StepPath(const std::vector<double>& values, const AxisScale& xScale, const AxisScale& yScale,
                     std::int64_t binNs) {
    std::string path;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = std::isfinite(values[i]) ? values[i] : 0;
        const double x0 = ToPixel(xScale, static_cast<double>(i) * static_cast<double>(binNs) / 1e9);
        const double x1 = ToPixel(xScale, static_cast<double>(i + 1) * static_cast<double>(binNs) / 1e9);
        AppendSvgPieces(path, {i == 0 ? "M" : "L", Px(x0), " ", Px(ToPixel(yScale, v)), "H", Px(x1)});
    }
    return path;
}

// The panels one below the other, the first in area, each with its events.
void PutTimeSeriesPanels(SvgWriter& svg, const TimeSeriesChart& chart, const AxisScale& xScale, PlotArea area,
                         double panelGap) {
    for (const SeriesPanel& panel : chart.Panels) {
        double highest = 0;
        for (double v : panel.Values)
            if (std::isfinite(v)) highest = std::max(highest, v);
        const AxisScale yScale = PutCountAxis(svg, area, highest, panel.Unit);
        if (panel.Values.empty()) {
            PutNoData(svg, area);
        } else {
            // The area under the line, then the line.
            const std::string path = StepPath(panel.Values, xScale, yScale, chart.BinNs);
            PutPath(svg, {path, "V", Px(area.Bottom()), "H", Px(area.Left), "Z"}, SeriesAreaLook(panel.Colour));
            PutPath(svg, path, SeriesLineLook(panel.Colour));
        }
        // Events: a triangle above the panel each, and a faint line across
        // it while they are few enough not to hide the series.
        for (std::int64_t markerNs : chart.MarkerNs) {
            const double x = ToPixel(xScale, static_cast<double>(markerNs - chart.StartNs) / 1e9);
            PutPath(svg, {"M", Px(x), " ", Px(area.Top - 1), "l-4 -7h8Z"}, kEventMark);
            if (chart.MarkerNs.size() <= kMaxMarkerLines) PutLine(svg, x, area.Top, x, area.Bottom(), kEventLine);
        }
        area.Top += area.Height + panelGap;
    }
}

}  // namespace

void PutChartStyle(TextOut& out) {
    struct Rule {
        const char* Selector;
        const char* Before;     // declarations before the colour
        const char* Property;   // of the colour, or none
        Colour Value;
        const char* After;
    };
    static constexpr Rule kRules[] = {
        {"svg.chart", "display: block; max-width: 100%; height: auto; ", "background", Colour::White, ""},
        {"svg.chart text", "font-family: \"DejaVu Sans\", \"Segoe UI\", Arial, sans-serif; font-size: 12px; ", "fill",
         Colour::Ink, ""},
        {"svg.chart text.unit", "font-size: 12px; ", "fill", Colour::DarkGrey, ""},
        {"svg.chart text.legend", "font-size: 12px; ", nullptr, Colour::None, ""},
        {"svg.chart text.mark", "font-size: 10px; ", "fill", Colour::DarkGrey, ""},
        {"svg.chart text.cell", "font-size: 12px; font-weight: 600; ", nullptr, Colour::None, ""},
        {"svg.chart text.note", "", "fill", Colour::DarkGrey, ""},
        {"svg.chart text.alert", "", "fill", Colour::Vermillion, "font-weight: 600; "},
        {"svg.chart line.axis", "", "stroke", Colour::DarkGrey, "stroke-width: 1; "},
        {"svg.chart line.grid", "", "stroke", Colour::LineGrey, "stroke-width: 1; "},
    };
    for (const Rule& rule : kRules) {
        PutText(out, rule.Selector);
        PutText(out, " { ");
        PutText(out, rule.Before);
        if (rule.Property != nullptr) {
            PutText(out, rule.Property);
            PutText(out, ": ");
            PutText(out, ColourValue(rule.Value));
            PutText(out, "; ");
        }
        PutText(out, rule.After);
        PutText(out, "}\n");
    }
}

void PutTimeSeriesChart(TextOut& out, const TimeSeriesChart& chart) {
    assert(chart.BinNs > 0);
    constexpr double kPanelHeight = 120;
    constexpr double kPanelGap = 26;
    constexpr double kTop = 34;
    const double panels = static_cast<double>(std::max<std::size_t>(chart.Panels.size(), 1));
    const double height = kTop + panels * kPanelHeight + (panels - 1) * kPanelGap + 48;
    SvgWriter svg{&out};
    OpenChart(svg, height, chart.Title);

    std::size_t bins = 0;
    for (const SeriesPanel& panel : chart.Panels) bins = std::max(bins, panel.Values.size());
    const double spanSeconds = static_cast<double>(bins) * static_cast<double>(chart.BinNs) / 1e9;
    const double plotWidth = kWidth - kLeft - kRight;
    const AxisScale xScale{0, std::max(spanSeconds, 1e-9), false, kLeft, kLeft + plotWidth};

    // Legend row.
    double legendX = kLeft;
    for (const SeriesPanel& panel : chart.Panels) {
        OpenLegendEntry(svg, legendX, 14);
        PutLineSwatch(svg, LegendLineLook(panel.Colour, "none"));
        legendX = CloseLegendEntry(svg, legendX, 14, panel.Name);
    }
    if (!chart.MarkerName.empty()) {
        OpenLegendEntry(svg, legendX, 14);
        PutPath(svg, "M8 5l-5 -9h10Z", kEventMark);
        CloseLegendEntry(svg, legendX, 14, chart.MarkerName + " (" + GroupedUnsigned(chart.MarkerNs.size()) + ")");
    }
    PutTimeSeriesPanels(svg, chart, xScale, PlotArea{kLeft, kTop, plotWidth, kPanelHeight}, kPanelGap);

    // Time axis under the last panel.
    const double lastBottom =
        kTop + static_cast<double>(chart.Panels.size()) * (kPanelHeight + kPanelGap) - kPanelGap;
    PutClockAxis(svg, xScale, chart.StartNs, chart.StartNs + static_cast<std::int64_t>(bins) * chart.BinNs, lastBottom);
    CloseChart(svg);
}

void PutHistogramChart(TextOut& out, const HistogramChart& chart) {
    constexpr double kTop = 58;
    constexpr double kHeight = 320;
    const PlotArea area{kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - 50};
    SvgWriter svg{&out};
    OpenChart(svg, kHeight, chart.Title);

    // The x range covers every bar and marker.
    double lo = 0, hi = 0, highest = 0;
    bool any = false;
    auto cover = [&](double v) {
        if (!std::isfinite(v) || (chart.LogX && !(v > 0))) return;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    };
    for (const HistogramBar& bar : chart.Bars) {
        cover(chart.LogX && !(bar.From > 0) ? bar.To / 2 : bar.From);
        cover(bar.To);
        highest = std::max(highest, static_cast<double>(bar.Count));
    }
    for (const ChartMarker& marker : chart.Markers) cover(marker.Value);
    if (!any || !(hi > lo)) {
        hi = any ? (lo > 0 ? lo * 2 : lo + 1) : 1;
        lo = any ? (lo > 0 && chart.LogX ? lo / 2 : lo) : (chart.LogX ? 0.1 : 0);
    }
    // A log axis only where the values span more than a decade.
    const bool log = chart.LogX && lo > 0 && hi / lo > 10;
    if (chart.LogX && !log) lo = 0;
    const AxisScale xScale{lo, hi, log, area.Left, area.Right()};

    double legendX = area.Left;
    for (std::size_t i = 0; i < chart.Markers.size(); ++i) {
        const ChartMarker& marker = chart.Markers[i];
        OpenLegendEntry(svg, legendX, 14);
        PutLineSwatch(svg, LegendLineLook(marker.Colour, kDashes[i % kDashCount]));
        legendX = CloseLegendEntry(svg, legendX, 14, marker.Name + " " + GroupedFixed(marker.Value, 3));
    }

    const AxisScale yScale = PutCountAxis(svg, area, highest, "count");
    if (chart.Bars.empty()) PutNoData(svg, area);
    for (const HistogramBar& bar : chart.Bars) {
        if (bar.Count == 0) continue;
        const double x0 = ToPixel(xScale, log && !(bar.From > 0) ? lo : bar.From);
        const double x1 = ToPixel(xScale, bar.To);
        const double y = ToPixel(yScale, static_cast<double>(bar.Count));
        PutRect(svg, x0, y, std::max(x1 - x0, 1.0), area.Bottom() - y, kBar);
    }
    for (std::size_t i = 0; i < chart.Markers.size(); ++i) {
        const ChartMarker& marker = chart.Markers[i];
        const double x = ToPixel(xScale, marker.Value);
        const double rise = 9.0 * static_cast<double>(i % 3);  // neighbouring labels staggered
        PutLine(svg, x, area.Top - 4 - rise, x, area.Bottom(), MarkerLineLook(marker.Colour, kDashes[i % kDashCount]));
        PutLabel(svg, x + 3, area.Top - 6 - rise, "start", kMarkText, marker.Name);
    }
    int decimals = 0;
    const std::vector<double> ticks = AxisValues(xScale, &decimals);
    PutValueAxisX(svg, area, xScale, ticks, decimals, chart.XUnit);
    CloseChart(svg);
}

void PutRangeChart(TextOut& out, const RangeChart& chart) {
    constexpr double kRowHeight = 22;
    constexpr double kTop = 36;
    constexpr double kLabelWidth = 96;
    constexpr double kNoteWidth = 230;
    const double rows = static_cast<double>(std::max<std::size_t>(chart.Rows.size(), 1));
    const PlotArea area{kLabelWidth, kTop, kWidth - kLabelWidth - kNoteWidth, rows * kRowHeight};
    const double height = kTop + area.Height + 50;
    SvgWriter svg{&out};
    OpenChart(svg, height, chart.Title);

    double lo = 0, hi = 0;
    bool any = false;
    for (const RangeRow& row : chart.Rows) {
        if (!row.HasSamples) continue;
        lo = any ? std::min(lo, row.Min) : row.Min;
        hi = any ? std::max(hi, row.Max) : row.Max;
        any = true;
    }
    // A log axis when the rows span more than a factor of 20.
    const bool log = any && lo > 0 && hi / lo > 20;
    AxisScale xScale{log ? lo : std::min(lo, 0.0), any && hi > 0 ? hi : 1, log, area.Left, area.Right()};
    if (!log) {
        // A linear axis from 0 (or a negative minimum) to a whole tick.
        const LinearTicks ticks = MakeLinearTicks(xScale.Lo, xScale.Hi, kMaxXTicks);
        xScale.Lo = TickValue(ticks, 0);
        xScale.Hi = TickValue(ticks, ticks.Count - 1);
    }

    double legendX = area.Left;
    OpenLegendEntry(svg, legendX, 14);
    PutLineSwatch(svg, kWhisker);
    legendX = CloseLegendEntry(svg, legendX, 14, "min to max");
    OpenLegendEntry(svg, legendX, 14);
    PutBoxSwatch(svg, 6, kBoxSwatch);
    legendX = CloseLegendEntry(svg, legendX, 14, "50th to 99th percentile");
    OpenLegendEntry(svg, legendX, 14);
    PutPath(svg, "M8 -6L14 0L8 6L2 0Z", kMeanSwatch);
    CloseLegendEntry(svg, legendX, 14, "mean");

    int decimals = 0;
    const std::vector<double> ticks = AxisValues(xScale, &decimals);
    for (double value : ticks) {
        const double x = ToPixel(xScale, value);
        PutLine(svg, x, area.Top, x, area.Bottom(), kGridLine);
    }
    if (chart.Rows.empty()) PutNoData(svg, area);
    double y = area.Top + kRowHeight / 2;
    for (const RangeRow& row : chart.Rows) {
        PutLabel(svg, area.Left - 8, y + 4, "end", kTickText, row.Label);
        if (row.HasSamples) {
            const double xMin = ToPixel(xScale, row.Min);
            const double xMax = ToPixel(xScale, row.Max);
            PutLine(svg, xMin, y, xMax, y, kWhisker);
            PutLine(svg, xMin, y - 5, xMin, y + 5, kWhisker);
            PutLine(svg, xMax, y - 5, xMax, y + 5, kWhisker);
            const double x50 = ToPixel(xScale, row.P50);
            const double x99 = ToPixel(xScale, row.P99);
            PutRect(svg, x50, y - 7, std::max(x99 - x50, 2.0), 14, kBox);
            const double xMean = ToPixel(xScale, row.Mean);
            PutPath(svg,
                    {"M", Px(xMean), " ", Px(y - 6), "L", Px(xMean + 6), " ", Px(y), "L", Px(xMean), " ", Px(y + 6),
                     "L", Px(xMean - 6), " ", Px(y), "Z"},
                    kMeanMark);
        } else {
            PutLabel(svg, area.Left + 4, y + 4, "start", kNoteText, "no response time");
        }
        PutLabel(svg, area.Right() + 10, y + 4, "start", row.NoteAlert ? kAlertText : kNoteText, row.Note);
        y += kRowHeight;
    }
    PutValueAxisX(svg, area, xScale, ticks, decimals, chart.XUnit);
    CloseChart(svg);
}

void PutAddressGrid(TextOut& out, const std::string& title, const std::array<AddressCell, 128>& cells) {
    constexpr double kCellWidth = 52;
    constexpr double kCellHeight = 30;
    constexpr double kGridLeft = 52;
    constexpr double kGridTop = 26;
    const double height = kGridTop + 8 * kCellHeight + 64;
    SvgWriter svg{&out};
    OpenChart(svg, height, title);
    for (int column = 0; column < 16; ++column)
        PutLabel(svg, kGridLeft + (column + 0.5) * kCellWidth, kGridTop - 8, "middle", kTickText,
                 "+" + std::to_string(column));
    struct RoleLook {
        CellRole Key;
        Look Cell;    // fill and border
        Colour Text;  // of the address
        const char* Name;
    };
    static constexpr RoleLook kRoleLooks[] = {
        {CellRole::NotSeen, {.Fill = Colour::PaleGrey, .Stroke = Colour::SilverGrey}, Colour::MidGrey, "not seen"},
        {CellRole::Master, {.Fill = Colour::Blue, .Stroke = Colour::White}, Colour::White, "master"},
        {CellRole::Slave, {.Fill = Colour::Green, .Stroke = Colour::White}, Colour::Black, "slave"},
        {CellRole::Both, {.Fill = Colour::Purple, .Stroke = Colour::White}, Colour::Black, "master and slave"},
        {CellRole::Silent, {.Fill = Colour::White, .Stroke = Colour::SlateGrey, .Dash = "3 2"}, Colour::Black,
         "silent (only addressed)"},
    };
    static_assert(RowsInKeyOrder(kRoleLooks, static_cast<std::size_t>(CellRole::Silent) + 1));
    for (int row = 0; row < 8; ++row) {
        const double y = kGridTop + row * kCellHeight;
        PutLabel(svg, kGridLeft - 8, y + kCellHeight / 2 + 4, "end", kTickText, std::to_string(row * 16));
        for (int column = 0; column < 16; ++column) {
            const int address = row * 16 + column;
            const AddressCell& cell = cells[static_cast<std::size_t>(address)];
            assert(static_cast<std::size_t>(cell.Role) < std::size(kRoleLooks));
            const RoleLook& look = kRoleLooks[static_cast<std::size_t>(cell.Role)];
            const double x = kGridLeft + column * kCellWidth;
            PutRect(svg, x + 1, y + 1, kCellWidth - 2, kCellHeight - 2, look.Cell);
            PutLabel(svg, x + kCellWidth / 2, y + kCellHeight / 2 + 4, "middle", {.Class = "cell", .Fill = look.Text},
                     std::to_string(address));
            if (cell.ErrorFrames)
                PutPath(svg,
                        {"M", Px(x + kCellWidth - 15), " ", Px(y + 1), "H", Px(x + kCellWidth - 1), "V", Px(y + 15),
                         "Z"},
                        kErrorCorner);
            if (cell.Unanswered) PutDot(svg, Px(x + 9), Px(y + kCellHeight - 9), kUnansweredDot);
        }
    }
    double legendX = kGridLeft;
    const double legendY = kGridTop + 8 * kCellHeight + 22;
    for (const RoleLook& look : kRoleLooks) {
        OpenLegendEntry(svg, legendX, legendY);
        PutBoxSwatch(svg, 7, look.Cell);
        legendX = CloseLegendEntry(svg, legendX, legendY, look.Name);
    }
    OpenLegendEntry(svg, kGridLeft, legendY + 24);
    PutPath(svg, "M2 -7H16V7Z", kErrorCorner);
    legendX = CloseLegendEntry(svg, kGridLeft, legendY + 24, "sent frames with receive errors");
    OpenLegendEntry(svg, legendX, legendY + 24);
    PutDot(svg, Whole(8), Whole(0), kUnansweredDot);
    CloseLegendEntry(svg, legendX, legendY + 24, "left requests unanswered");
    CloseChart(svg);
}

}  // namespace zelmot
