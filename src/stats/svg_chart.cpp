// Writes the charts as inline SVG. Geometry is computed here; the page's
// style sheet gives the fonts and the axis and grid line styles by class
// (chart, axis, grid, tick, unit, legend, note), so each chart stays small.
#include "stats/svg_chart.h"

#include <algorithm>
#include <cmath>

#include "stats/chart_axis.h"
#include "stats/html_text.h"

namespace zelmot {

namespace {

constexpr double kWidth = 960;
constexpr double kLeft = 84;    // room for the y tick labels and unit
constexpr double kRight = 36;  // room for the last tick label
constexpr int kMaxYTicks = 6;
constexpr int kMaxXTicks = 10;
constexpr std::size_t kMaxMarkerLines = 40;

struct PlotArea {
    double Left = 0, Top = 0, Width = 0, Height = 0;
    double Right() const { return Left + Width; }
    double Bottom() const { return Top + Height; }
};

void PutCoordinate(TextOut& out, double value) { PutFormat(out, "%.1f", value); }

void OpenSvg(TextOut& out, double height, const std::string& title) {
    PutFormat(out, "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %.0f %.0f\" "
                   "width=\"%.0f\" height=\"%.0f\" role=\"img\">\n<title>",
              kWidth, height, kWidth, height);
    PutEscaped(out, title);
    PutText(out, "</title>\n");
}

void CloseSvg(TextOut& out) { PutText(out, "</svg>\n"); }

void PutLabel(TextOut& out, double x, double y, const char* anchor, const char* cssClass,
              const std::string& text) {
    PutText(out, "<text x=\"");
    PutCoordinate(out, x);
    PutText(out, "\" y=\"");
    PutCoordinate(out, y);
    PutFormat(out, "\" text-anchor=\"%s\" class=\"%s\">", anchor, cssClass);
    PutEscaped(out, text);
    PutText(out, "</text>\n");
}

void PutLine(TextOut& out, double x1, double y1, double x2, double y2, const char* attributes) {
    PutText(out, "<line x1=\"");
    PutCoordinate(out, x1);
    PutText(out, "\" y1=\"");
    PutCoordinate(out, y1);
    PutText(out, "\" x2=\"");
    PutCoordinate(out, x2);
    PutText(out, "\" y2=\"");
    PutCoordinate(out, y2);
    PutFormat(out, "\" %s/>\n", attributes);
}

void PutRect(TextOut& out, double x, double y, double width, double height, const char* attributes) {
    PutText(out, "<rect x=\"");
    PutCoordinate(out, x);
    PutText(out, "\" y=\"");
    PutCoordinate(out, y);
    PutText(out, "\" width=\"");
    PutCoordinate(out, std::max(0.0, width));
    PutText(out, "\" height=\"");
    PutCoordinate(out, std::max(0.0, height));
    PutFormat(out, "\" %s/>\n", attributes);
}

int DecimalsFor(double value) {
    if (!(value > 0) || value >= 1) return 0;
    return std::min(9, static_cast<int>(std::ceil(-std::log10(value) - 1e-9)));
}

// A linear y axis from 0 to at least top: grid lines, tick labels, unit.
AxisScale PutCountAxis(TextOut& out, const PlotArea& area, double top, const std::string& unit) {
    const LinearTicks ticks = MakeLinearTicks(0, std::max(top, 1.0), kMaxYTicks);
    const double hi = TickValue(ticks, ticks.Count - 1);
    AxisScale scale{0, hi, false, area.Bottom(), area.Top};
    for (int i = 0; i < ticks.Count; ++i) {
        const double value = TickValue(ticks, i);
        const double y = ToPixel(scale, value);
        PutLine(out, area.Left, y, area.Right(), y, "class=\"grid\"");
        PutLabel(out, area.Left - 6, y + 4, "end", "tick", GroupedFixed(value, ticks.Decimals));
    }
    PutText(out, "<text class=\"unit\" text-anchor=\"middle\" transform=\"translate(14 ");
    PutCoordinate(out, area.Top + area.Height / 2);
    PutText(out, ") rotate(-90)\">");
    PutEscaped(out, unit);
    PutText(out, "</text>\n");
    PutLine(out, area.Left, area.Bottom(), area.Right(), area.Bottom(), "class=\"axis\"");
    PutLine(out, area.Left, area.Top, area.Left, area.Bottom(), "class=\"axis\"");
    return scale;
}

// Tick marks and labels of a numeric x axis below area, and its unit.
void PutValueAxisX(TextOut& out, const PlotArea& area, const AxisScale& scale, const std::vector<double>& values,
                   int decimals, const std::string& unit) {
    PutLine(out, area.Left, area.Bottom(), area.Right(), area.Bottom(), "class=\"axis\"");
    for (double value : values) {
        const double x = ToPixel(scale, value);
        PutLine(out, x, area.Bottom(), x, area.Bottom() + 5, "class=\"axis\"");
        PutLabel(out, x, area.Bottom() + 18, "middle", "tick",
                 GroupedFixed(value, scale.Log ? DecimalsFor(value) : decimals));
    }
    PutLabel(out, area.Left + area.Width / 2, area.Bottom() + 36, "middle", "unit",
             scale.Log ? unit + ", log scale" : unit);
}

// Tick values of a linear or log x axis over [lo, hi].
std::vector<double> AxisValues(const AxisScale& scale, int* decimals) {
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

// A legend entry: a swatch (line, box or shape given as SVG) and a text.
double PutLegendEntry(TextOut& out, double x, double y, const char* swatch, const std::string& text) {
    PutFormat(out, "<g transform=\"translate(%.1f %.1f)\">%s</g>\n", x, y, swatch);
    PutLabel(out, x + 22, y + 4, "start", "legend", text);
    return x + 30 + 7.0 * static_cast<double>(text.size());
}

std::string LineSwatch(const char* colour, const char* dash) {
    return std::string("<line x1=\"0\" y1=\"0\" x2=\"16\" y2=\"0\" stroke=\"") + colour +
           "\" stroke-width=\"3\" stroke-dasharray=\"" + dash + "\"/>";
}

void PutNoData(TextOut& out, const PlotArea& area) {
    PutLabel(out, area.Left + area.Width / 2, area.Top + area.Height / 2, "middle", "note", "no data");
}

// Dash patterns that keep marker lines apart without their colours.
constexpr const char* kDashes[] = {"none", "6 3", "2 2", "8 3 2 3", "1 3"};

}  // namespace

void PutTimeSeriesChart(TextOut& out, const TimeSeriesChart& chart) {
    constexpr double kPanelHeight = 120;
    constexpr double kPanelGap = 26;
    constexpr double kTop = 34;
    const double panels = static_cast<double>(std::max<std::size_t>(chart.Panels.size(), 1));
    const double height = kTop + panels * kPanelHeight + (panels - 1) * kPanelGap + 48;
    OpenSvg(out, height, chart.Title);

    std::size_t bins = 0;
    for (const SeriesPanel& panel : chart.Panels) bins = std::max(bins, panel.Values.size());
    const std::int64_t binNs = std::max<std::int64_t>(chart.BinNs, 1);
    const double spanSeconds = static_cast<double>(bins) * static_cast<double>(binNs) / 1e9;
    const double plotWidth = kWidth - kLeft - kRight;
    AxisScale xScale{0, std::max(spanSeconds, 1e-9), false, kLeft, kLeft + plotWidth};

    // Legend row.
    double legendX = kLeft;
    for (const SeriesPanel& panel : chart.Panels)
        legendX = PutLegendEntry(out, legendX, 14, LineSwatch(panel.Colour, "none").c_str(), panel.Name);
    if (!chart.MarkerName.empty())
        PutLegendEntry(out, legendX, 14, "<path d=\"M8 5l-5 -9h10Z\" fill=\"#CC79A7\"/>",
                       chart.MarkerName + " (" + GroupedUnsigned(chart.MarkerNs.size()) + ")");

    double top = kTop;
    for (const SeriesPanel& panel : chart.Panels) {
        const PlotArea area{kLeft, top, plotWidth, kPanelHeight};
        double highest = 0;
        for (double v : panel.Values)
            if (std::isfinite(v)) highest = std::max(highest, v);
        const AxisScale yScale = PutCountAxis(out, area, highest, panel.Unit);
        if (panel.Values.empty()) {
            PutNoData(out, area);
        } else {
            // A stepped line, one level per bin, and the area under it.
            std::string path;
            char piece[64];
            for (std::size_t i = 0; i < panel.Values.size(); ++i) {
                const double v = std::isfinite(panel.Values[i]) ? panel.Values[i] : 0;
                const double x0 = ToPixel(xScale, static_cast<double>(i) * static_cast<double>(binNs) / 1e9);
                const double x1 = ToPixel(xScale, static_cast<double>(i + 1) * static_cast<double>(binNs) / 1e9);
                std::snprintf(piece, sizeof piece, "%s%.1f %.1fH%.1f", i == 0 ? "M" : "L", x0, ToPixel(yScale, v),
                              x1);
                path += piece;
            }
            PutFormat(out, "<path d=\"%sV%.1fH%.1fZ\" fill=\"%s\" fill-opacity=\"0.18\" stroke=\"none\"/>\n",
                      path.c_str(), area.Bottom(), kLeft, panel.Colour);
            PutFormat(out, "<path d=\"%s\" fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\"/>\n", path.c_str(),
                      panel.Colour);
        }
        // Events: a triangle above the panel each, and a faint line across
        // it while they are few enough not to hide the series.
        for (std::int64_t markerNs : chart.MarkerNs) {
            const double x = ToPixel(xScale, static_cast<double>(markerNs - chart.StartNs) / 1e9);
            PutFormat(out, "<path d=\"M%.1f %.1fl-4 -7h8Z\" fill=\"%s\"/>\n", x, area.Top - 1, kColourPurple);
            if (chart.MarkerNs.size() <= kMaxMarkerLines) {
                char attributes[128];
                std::snprintf(attributes, sizeof attributes,
                              "stroke=\"%s\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\" stroke-opacity=\"0.8\"",
                              kColourPurple);
                PutLine(out, x, area.Top, x, area.Bottom(), attributes);
            }
        }
        top += kPanelHeight + kPanelGap;
    }

    // Time axis under the last panel: ticks at whole multiples of the step
    // on the absolute clock.
    const PlotArea last{kLeft, top - kPanelGap - kPanelHeight, plotWidth, kPanelHeight};
    const std::int64_t stepNs = TimeTickStepSeconds(spanSeconds, kMaxXTicks) * 1000000000;
    const std::int64_t endNs = chart.StartNs + static_cast<std::int64_t>(bins) * binNs;
    std::int64_t tickNs = chart.StartNs >= 0 ? (chart.StartNs + stepNs - 1) / stepNs * stepNs : chart.StartNs;
    for (; tickNs <= endNs; tickNs += stepNs) {
        const double x = ToPixel(xScale, static_cast<double>(tickNs - chart.StartNs) / 1e9);
        PutLine(out, x, last.Bottom(), x, last.Bottom() + 5, "class=\"axis\"");
        PutLabel(out, x, last.Bottom() + 18, "middle", "tick", ClockText(tickNs, 0));
    }
    PutLabel(out, kLeft + plotWidth / 2, last.Bottom() + 38, "middle", "unit", "absolute time (hh:mm:ss)");
    CloseSvg(out);
}

void PutHistogramChart(TextOut& out, const HistogramChart& chart) {
    constexpr double kTop = 58;
    constexpr double kHeight = 320;
    const PlotArea area{kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - 50};
    OpenSvg(out, kHeight, chart.Title);

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
        legendX = PutLegendEntry(out, legendX, 14, LineSwatch(marker.Colour, kDashes[i % 5]).c_str(),
                                 marker.Name + " " + GroupedFixed(marker.Value, 3));
    }

    const AxisScale yScale = PutCountAxis(out, area, highest, "count");
    if (chart.Bars.empty()) PutNoData(out, area);
    for (const HistogramBar& bar : chart.Bars) {
        if (bar.Count == 0) continue;
        const double x0 = ToPixel(xScale, log && !(bar.From > 0) ? lo : bar.From);
        const double x1 = ToPixel(xScale, bar.To);
        const double y = ToPixel(yScale, static_cast<double>(bar.Count));
        char attributes[96];
        std::snprintf(attributes, sizeof attributes, "fill=\"%s\" stroke=\"#ffffff\" stroke-width=\"0.5\"",
                      kColourSky);
        PutRect(out, x0, y, std::max(x1 - x0, 1.0), area.Bottom() - y, attributes);
    }
    for (std::size_t i = 0; i < chart.Markers.size(); ++i) {
        const ChartMarker& marker = chart.Markers[i];
        const double x = ToPixel(xScale, marker.Value);
        char attributes[128];
        std::snprintf(attributes, sizeof attributes, "stroke=\"%s\" stroke-width=\"2\" stroke-dasharray=\"%s\"",
                      marker.Colour, kDashes[i % 5]);
        PutLine(out, x, area.Top - 4 - 9.0 * static_cast<double>(i % 3), x, area.Bottom(), attributes);
        PutLabel(out, x + 3, area.Top - 6 - 9.0 * static_cast<double>(i % 3), "start", "mark", marker.Name);
    }
    int decimals = 0;
    const std::vector<double> ticks = AxisValues(xScale, &decimals);
    PutValueAxisX(out, area, xScale, ticks, decimals, chart.XUnit);
    CloseSvg(out);
}

void PutRangeChart(TextOut& out, const RangeChart& chart) {
    constexpr double kRowHeight = 22;
    constexpr double kTop = 36;
    constexpr double kLabelWidth = 96;
    constexpr double kNoteWidth = 230;
    const double rows = static_cast<double>(std::max<std::size_t>(chart.Rows.size(), 1));
    const PlotArea area{kLabelWidth, kTop, kWidth - kLabelWidth - kNoteWidth, rows * kRowHeight};
    const double height = kTop + area.Height + 50;
    OpenSvg(out, height, chart.Title);

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
    char swatch[256];
    std::snprintf(swatch, sizeof swatch, "<line x1=\"0\" y1=\"0\" x2=\"16\" y2=\"0\" stroke=\"%s\" stroke-width=\"2\"/>",
                  kColourBlack);
    legendX = PutLegendEntry(out, legendX, 14, swatch, "min to max");
    std::snprintf(swatch, sizeof swatch, "<rect x=\"0\" y=\"-6\" width=\"16\" height=\"12\" fill=\"%s\"/>", kColourSky);
    legendX = PutLegendEntry(out, legendX, 14, swatch, "50th to 99th percentile");
    std::snprintf(swatch, sizeof swatch, "<path d=\"M8 -6L14 0L8 6L2 0Z\" fill=\"%s\"/>", kColourOrange);
    PutLegendEntry(out, legendX, 14, swatch, "mean");

    int decimals = 0;
    const std::vector<double> ticks = AxisValues(xScale, &decimals);
    for (double value : ticks) {
        const double x = ToPixel(xScale, value);
        PutLine(out, x, area.Top, x, area.Bottom(), "class=\"grid\"");
    }
    if (chart.Rows.empty()) PutNoData(out, area);
    double y = area.Top + kRowHeight / 2;
    for (const RangeRow& row : chart.Rows) {
        PutLabel(out, area.Left - 8, y + 4, "end", "tick", row.Label);
        if (row.HasSamples) {
            char attributes[96];
            std::snprintf(attributes, sizeof attributes, "stroke=\"%s\" stroke-width=\"2\"", kColourBlack);
            const double xMin = ToPixel(xScale, row.Min);
            const double xMax = ToPixel(xScale, row.Max);
            PutLine(out, xMin, y, xMax, y, attributes);
            PutLine(out, xMin, y - 5, xMin, y + 5, attributes);
            PutLine(out, xMax, y - 5, xMax, y + 5, attributes);
            const double x50 = ToPixel(xScale, row.P50);
            const double x99 = ToPixel(xScale, row.P99);
            std::snprintf(attributes, sizeof attributes, "fill=\"%s\" stroke=\"%s\"", kColourSky, kColourBlue);
            PutRect(out, x50, y - 7, std::max(x99 - x50, 2.0), 14, attributes);
            const double xMean = ToPixel(xScale, row.Mean);
            PutFormat(out, "<path d=\"M%.1f %.1fL%.1f %.1fL%.1f %.1fL%.1f %.1fZ\" fill=\"%s\" stroke=\"%s\"/>\n", xMean,
                      y - 6, xMean + 6, y, xMean, y + 6, xMean - 6, y, kColourOrange, kColourBlack);
        } else {
            PutLabel(out, area.Left + 4, y + 4, "start", "note", "no response time");
        }
        PutLabel(out, area.Right() + 10, y + 4, "start", row.NoteAlert ? "note alert" : "note", row.Note);
        y += kRowHeight;
    }
    PutValueAxisX(out, area, xScale, ticks, decimals, chart.XUnit);
    CloseSvg(out);
}

void PutAddressGrid(TextOut& out, const std::string& title, const std::array<AddressCell, 128>& cells) {
    constexpr double kCellWidth = 52;
    constexpr double kCellHeight = 30;
    constexpr double kGridLeft = 52;
    constexpr double kGridTop = 26;
    const double height = kGridTop + 8 * kCellHeight + 64;
    OpenSvg(out, height, title);
    for (int column = 0; column < 16; ++column)
        PutLabel(out, kGridLeft + (column + 0.5) * kCellWidth, kGridTop - 8, "middle", "tick",
                 "+" + std::to_string(column));
    struct RoleLook {
        const char* Fill;
        const char* Text;
        const char* Border;
        const char* Name;
    };
    // ORDER CellRole
    static constexpr RoleLook kLooks[] = {
        {"#f4f4f4", "#8a8a8a", "stroke=\"#d0d0d0\"", "not seen"},
        {kColourBlue, "#ffffff", "stroke=\"#ffffff\"", "master"},
        {kColourGreen, "#000000", "stroke=\"#ffffff\"", "slave"},
        {kColourPurple, "#000000", "stroke=\"#ffffff\"", "master and slave"},
        {"#ffffff", "#000000", "stroke=\"#555555\" stroke-dasharray=\"3 2\"", "silent (only addressed)"},
    };
    static_assert(std::size(kLooks) == static_cast<std::size_t>(CellRole::Silent) + 1);
    for (int row = 0; row < 8; ++row) {
        const double y = kGridTop + row * kCellHeight;
        PutLabel(out, kGridLeft - 8, y + kCellHeight / 2 + 4, "end", "tick", std::to_string(row * 16));
        for (int column = 0; column < 16; ++column) {
            const int address = row * 16 + column;
            const AddressCell& cell = cells[static_cast<std::size_t>(address)];
            const RoleLook& look = kLooks[static_cast<std::size_t>(cell.Role)];
            const double x = kGridLeft + column * kCellWidth;
            char attributes[128];
            std::snprintf(attributes, sizeof attributes, "fill=\"%s\" %s", look.Fill, look.Border);
            PutRect(out, x + 1, y + 1, kCellWidth - 2, kCellHeight - 2, attributes);
            PutFormat(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" class=\"cell\" fill=\"%s\">%d</text>\n",
                      x + kCellWidth / 2, y + kCellHeight / 2 + 4, look.Text, address);
            if (cell.ErrorFrames)
                PutFormat(out, "<path d=\"M%.1f %.1fH%.1fV%.1fZ\" fill=\"%s\" stroke=\"#000000\" stroke-width=\"0.5\"/>\n",
                          x + kCellWidth - 15, y + 1, x + kCellWidth - 1, y + 15, kColourVermillion);
            if (cell.Unanswered)
                PutFormat(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"5\" fill=\"%s\" stroke=\"#000000\"/>\n",
                          x + 9, y + kCellHeight - 9, kColourYellow);
        }
    }
    double legendX = kGridLeft;
    const double legendY = kGridTop + 8 * kCellHeight + 22;
    for (const RoleLook& look : kLooks) {
        char swatch[160];
        std::snprintf(swatch, sizeof swatch, "<rect x=\"0\" y=\"-7\" width=\"16\" height=\"14\" fill=\"%s\" %s/>",
                      look.Fill, look.Border);
        legendX = PutLegendEntry(out, legendX, legendY, swatch, look.Name);
    }
    char swatch[160];
    std::snprintf(swatch, sizeof swatch, "<path d=\"M2 -7H16V7Z\" fill=\"%s\" stroke=\"#000000\" stroke-width=\"0.5\"/>",
                  kColourVermillion);
    legendX = PutLegendEntry(out, kGridLeft, legendY + 24, swatch, "sent frames with receive errors");
    std::snprintf(swatch, sizeof swatch, "<circle cx=\"8\" cy=\"0\" r=\"5\" fill=\"%s\" stroke=\"#000000\"/>",
                  kColourYellow);
    PutLegendEntry(out, legendX, legendY + 24, swatch, "left requests unanswered");
    CloseSvg(out);
}

}  // namespace zelmot
