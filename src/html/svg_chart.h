// The charts of the HTML report as inline SVG: a time series in stacked
// panels with markers, a histogram with marker lines, range rows (a box plot
// per row on one shared axis) and the 8 x 16 address grid (the lanes of
// coloured spans over time are svg_lane_chart.h). Each chart is one
// <svg> element with a <title>; sizes are in CSS pixels, text at 12 px, the
// colours from the palette (chart_palette.h), and every colour coding is
// also told by a legend or a shape. PutChartStyle writes the style sheet
// rules of the classes the charts use.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/text_out.h"
#include "html/chart_palette.h"

namespace zelmot {

// The style sheet rules of the charts' classes (fonts, text colours, axis
// and grid lines), for the page's <style>.
void PutChartStyle(TextOut& out);

// One panel of a time series: a value per bin, drawn as a stepped line.
struct SeriesPanel {
    std::string Name;   // legend text, e.g. "frames per second"
    std::string Unit;   // y axis unit, e.g. "frames/s"
    zelmot::Colour Colour = zelmot::Colour::Blue;
    std::vector<double> Values;
};

// Panels one above the other over one time axis labelled hh:mm:ss of the
// absolute time; bin i covers [StartNs + i * BinNs, StartNs + (i+1) * BinNs),
// BinNs > 0.
struct TimeSeriesChart {
    std::string Title;
    std::int64_t StartNs = 0;
    std::int64_t BinNs = 1000000000;
    std::vector<SeriesPanel> Panels;
    std::vector<std::int64_t> MarkerNs;  // absolute times of events drawn as lines
    std::string MarkerName;              // legend text of those lines
};
void PutTimeSeriesChart(TextOut& out, const TimeSeriesChart& chart);

struct HistogramBar {
    double From = 0;  // in the axis unit, half-open [From, To)
    double To = 0;
    std::uint64_t Count = 0;
};
struct ChartMarker {
    std::string Name;  // "min", "mean", ...
    double Value = 0;  // in the axis unit
    zelmot::Colour Colour = zelmot::Colour::Black;
};
struct HistogramChart {
    std::string Title;
    std::string XUnit;  // e.g. "rotation time (µs)"
    bool LogX = true;
    std::vector<HistogramBar> Bars;
    std::vector<ChartMarker> Markers;
};
void PutHistogramChart(TextOut& out, const HistogramChart& chart);

// One row of a range chart: whiskers from Min to Max, a box from P50 to
// P99, a diamond at the mean; Note is written to the right of the plot.
struct RangeRow {
    std::string Label;
    bool HasSamples = false;
    double Min = 0, P50 = 0, Mean = 0, P99 = 0, Max = 0;
    std::string Note;
    bool NoteAlert = false;  // drawn in the alert colour
};
struct RangeChart {
    std::string Title;
    std::string XUnit;
    std::vector<RangeRow> Rows;
};
void PutRangeChart(TextOut& out, const RangeChart& chart);

enum class CellRole : std::uint8_t { NotSeen, Master, Slave, Both, Silent };
struct AddressCell {
    CellRole Role = CellRole::NotSeen;
    bool ErrorFrames = false;  // sent frames with receive errors
    bool Unanswered = false;   // left requests unanswered (as master or slave)
};
// Address 16 * row + column; a legend below.
void PutAddressGrid(TextOut& out, const std::string& title, const std::array<AddressCell, 128>& cells);

}  // namespace zelmot
