// The marks of the charts and the absolute time axis, written through the
// element writer; the style sheet (PutChartStyle) gives the classes their
// fonts and colours.
#include "html/svg_marks.h"

#include <cassert>

#include "html/html_text.h"
#include "report/number_text.h"

namespace zelmot {

void PutLook(SvgWriter& svg, const Look& look) {
    if (look.Class != nullptr) PutSvgAttribute(svg, "class", look.Class);
    if (look.Fill) PutSvgAttribute(svg, "fill", ColourValue(*look.Fill));
    if (look.FillOpacity) PutSvgAttribute(svg, "fill-opacity", *look.FillOpacity);
    if (look.Stroke) PutSvgAttribute(svg, "stroke", ColourValue(*look.Stroke));
    if (look.StrokeWidth) PutSvgAttribute(svg, "stroke-width", *look.StrokeWidth);
    if (look.Dash != nullptr) PutSvgAttribute(svg, "stroke-dasharray", look.Dash);
    if (look.StrokeOpacity) PutSvgAttribute(svg, "stroke-opacity", *look.StrokeOpacity);
}

void OpenChart(SvgWriter& svg, double height, const std::string& title) {
    assert(svg.Open.empty());
    OpenSvgElement(svg, "svg");
    PutSvgAttribute(svg, "class", "chart");
    PutSvgAttribute(svg, "xmlns", "http://www.w3.org/2000/svg");
    PutSvgAttribute(svg, "viewBox", {"0 0 ", Whole(kChartWidth), " ", Whole(height)});
    PutSvgAttribute(svg, "width", Whole(kChartWidth));
    PutSvgAttribute(svg, "height", Whole(height));
    PutSvgAttribute(svg, "role", "img");
    OpenSvgElement(svg, "title");
    PutSvgText(svg, title);
    CloseSvgElement(svg);
}

void CloseChart(SvgWriter& svg) {
    CloseSvgElement(svg);
    assert(svg.Open.empty());  // every element of the chart closed
}

void PutLabel(SvgWriter& svg, double x, double y, const char* anchor, const Look& look, const std::string& text) {
    OpenSvgElement(svg, "text");
    PutSvgAttribute(svg, "x", Px(x));
    PutSvgAttribute(svg, "y", Px(y));
    PutSvgAttribute(svg, "text-anchor", anchor);
    PutLook(svg, look);
    PutSvgText(svg, text);
    CloseSvgElement(svg);
}

void PutLineAt(SvgWriter& svg, SvgNumber x1, SvgNumber y1, SvgNumber x2, SvgNumber y2, const Look& look) {
    OpenSvgElement(svg, "line");
    PutSvgAttribute(svg, "x1", x1);
    PutSvgAttribute(svg, "y1", y1);
    PutSvgAttribute(svg, "x2", x2);
    PutSvgAttribute(svg, "y2", y2);
    PutLook(svg, look);
    CloseSvgElement(svg);
}

void PutLine(SvgWriter& svg, double x1, double y1, double x2, double y2, const Look& look) {
    PutLineAt(svg, Px(x1), Px(y1), Px(x2), Px(y2), look);
}

void PutRectAt(SvgWriter& svg, SvgNumber x, SvgNumber y, SvgNumber width, SvgNumber height, const Look& look) {
    assert(width.Value >= 0 && height.Value >= 0);
    OpenSvgElement(svg, "rect");
    PutSvgAttribute(svg, "x", x);
    PutSvgAttribute(svg, "y", y);
    PutSvgAttribute(svg, "width", width);
    PutSvgAttribute(svg, "height", height);
    PutLook(svg, look);
    CloseSvgElement(svg);
}

void PutRect(SvgWriter& svg, double x, double y, double width, double height, const Look& look) {
    PutRectAt(svg, Px(x), Px(y), Px(width), Px(height), look);
}

namespace {

template <typename PathData>
void PutPathElement(SvgWriter& svg, PathData data, const Look& look) {
    OpenSvgElement(svg, "path");
    PutSvgAttribute(svg, "d", data);
    PutLook(svg, look);
    CloseSvgElement(svg);
}

}  // namespace

void PutPath(SvgWriter& svg, std::initializer_list<SvgPiece> data, const Look& look) { PutPathElement(svg, data, look); }

void PutPath(SvgWriter& svg, std::string_view data, const Look& look) { PutPathElement(svg, data, look); }

void PutDot(SvgWriter& svg, SvgNumber x, SvgNumber y, const Look& look) {
    OpenSvgElement(svg, "circle");
    PutSvgAttribute(svg, "cx", x);
    PutSvgAttribute(svg, "cy", y);
    PutSvgAttribute(svg, "r", 5.0);
    PutLook(svg, look);
    CloseSvgElement(svg);
}

// A legend entry: a swatch drawn around (0, 0) between the two calls, then
// its text; the end returns where the next entry starts.
void OpenLegendEntry(SvgWriter& svg, double x, double y) {
    OpenSvgElement(svg, "g");
    PutSvgAttribute(svg, "transform", {"translate(", Px(x), " ", Px(y), ")"});
}

double CloseLegendEntry(SvgWriter& svg, double x, double y, const std::string& text) {
    CloseSvgElement(svg);
    PutLabel(svg, x + 22, y + 4, "start", kLegendText, text);
    return x + 30 + 7.0 * static_cast<double>(text.size());
}

void PutLineSwatch(SvgWriter& svg, const Look& look) { PutLineAt(svg, Whole(0), Whole(0), Whole(16), Whole(0), look); }

void PutBoxSwatch(SvgWriter& svg, double halfHeight, const Look& look) {
    PutRectAt(svg, Whole(0), Whole(-halfHeight), Whole(16), Whole(2 * halfHeight), look);
}

void PutNoData(SvgWriter& svg, const PlotArea& area) {
    PutLabel(svg, area.Left + area.Width / 2, area.Top + area.Height / 2, "middle", kNoteText, "no data");
}

void PutClockAxis(SvgWriter& svg, const AxisScale& xScale, std::int64_t startNs, std::int64_t endNs, double y) {
    const double spanSeconds = static_cast<double>(endNs - startNs) / 1e9;
    const std::int64_t stepNs = TimeTickStepSeconds(spanSeconds, kChartMaxXTicks) * 1000000000;
    std::int64_t tickNs = startNs >= 0 ? (startNs + stepNs - 1) / stepNs * stepNs : startNs;
    for (; tickNs <= endNs; tickNs += stepNs) {
        const double x = ToPixel(xScale, static_cast<double>(tickNs - startNs) / 1e9);
        PutLine(svg, x, y, x, y + 5, kAxisLine);
        PutLabel(svg, x, y + 18, "middle", kTickText, ClockText(tickNs, 0));
    }
    PutLabel(svg, (xScale.PixelLo + xScale.PixelHi) / 2, y + 38, "middle", kUnitText, "absolute time (hh:mm:ss)");
}

}  // namespace zelmot
