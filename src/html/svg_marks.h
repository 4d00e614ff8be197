// The marks every chart of the page is drawn with, on top of the element
// writer: the page-wide chart geometry, a Look (class and paint of a mark,
// written in one order), the chart's root element, labels, lines, boxes,
// paths and dots, legend entries with their swatches, and the absolute
// time axis the time charts share.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "html/chart_axis.h"
#include "html/chart_palette.h"
#include "html/svg_writer.h"

namespace zelmot {

constexpr double kChartWidth = 960;
constexpr double kChartLeft = 84;   // room for the y tick labels and unit
constexpr double kChartRight = 36;  // room for the last tick label
constexpr int kChartMaxXTicks = 10;

struct PlotArea {
    double Left = 0, Top = 0, Width = 0, Height = 0;
    double Right() const { return Left + Width; }
    double Bottom() const { return Top + Height; }
};

// The class and paint of a mark, written in this order.
struct Look {
    const char* Class = nullptr;
    std::optional<Colour> Fill = std::nullopt;
    std::optional<double> FillOpacity = std::nullopt;
    std::optional<Colour> Stroke = std::nullopt;
    std::optional<double> StrokeWidth = std::nullopt;
    const char* Dash = nullptr;
    std::optional<double> StrokeOpacity = std::nullopt;
};

constexpr Look kGridLine{.Class = "grid"};
constexpr Look kAxisLine{.Class = "axis"};
constexpr Look kTickText{.Class = "tick"};
constexpr Look kUnitText{.Class = "unit"};
constexpr Look kLegendText{.Class = "legend"};
constexpr Look kMarkText{.Class = "mark"};
constexpr Look kNoteText{.Class = "note"};
constexpr Look kAlertText{.Class = "note alert"};

constexpr SvgNumber Whole(double value) { return SvgNumber{value, 0}; }

void PutLook(SvgWriter& svg, const Look& look);

// The chart's <svg> root with its <title>; CloseChart ends it.
void OpenChart(SvgWriter& svg, double height, const std::string& title);
void CloseChart(SvgWriter& svg);

void PutLabel(SvgWriter& svg, double x, double y, const char* anchor, const Look& look, const std::string& text);
void PutLineAt(SvgWriter& svg, SvgNumber x1, SvgNumber y1, SvgNumber x2, SvgNumber y2, const Look& look);
void PutLine(SvgWriter& svg, double x1, double y1, double x2, double y2, const Look& look);
void PutRectAt(SvgWriter& svg, SvgNumber x, SvgNumber y, SvgNumber width, SvgNumber height, const Look& look);
void PutRect(SvgWriter& svg, double x, double y, double width, double height, const Look& look);
void PutPath(SvgWriter& svg, std::initializer_list<SvgPiece> data, const Look& look);
void PutPath(SvgWriter& svg, std::string_view data, const Look& look);
void PutDot(SvgWriter& svg, SvgNumber x, SvgNumber y, const Look& look);

// A legend entry: a swatch drawn around (0, 0) between the two calls, then
// its text; the end returns where the next entry starts.
void OpenLegendEntry(SvgWriter& svg, double x, double y);
double CloseLegendEntry(SvgWriter& svg, double x, double y, const std::string& text);
void PutLineSwatch(SvgWriter& svg, const Look& look);
void PutBoxSwatch(SvgWriter& svg, double halfHeight, const Look& look);

void PutNoData(SvgWriter& svg, const PlotArea& area);

// The absolute time axis at y under a plot whose x scale counts seconds
// from startNs: ticks at whole multiples of the step on the clock up to
// endNs, labelled hh:mm:ss, and the axis' unit below.
void PutClockAxis(SvgWriter& svg, const AxisScale& xScale, std::int64_t startNs, std::int64_t endNs, double y);

}  // namespace zelmot
