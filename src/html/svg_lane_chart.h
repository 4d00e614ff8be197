// A chart of lanes of coloured spans over time, as inline SVG in the style
// of the other charts (svg_chart.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/text_out.h"
#include "html/chart_palette.h"

namespace zelmot {

// Lanes one below the other over one absolute time axis from StartNs to
// EndNs (EndNs > StartNs): each lane painted by spans, each lasting from
// its FromNs to the next span's (the last to EndNs; a span of Colour::None
// is left unpainted), with marks at the top of the lane; bands shaded
// across all lanes. A lane's spans and marks are in time order; those
// closer than half a pixel merge, so a lane of any length draws in
// bounded size.
constexpr std::size_t kMarkShapes = 3;

struct LaneSpan {
    std::int64_t FromNs = 0;
    zelmot::Colour Fill = zelmot::Colour::None;
};
struct LaneMark {
    std::int64_t Ns = 0;
    std::size_t Key = 0;  // index into MarkKeys: a diamond for 0, a triangle for 1, a square for 2
};
struct LaneKey {
    std::string Name;
    zelmot::Colour Colour = zelmot::Colour::Black;
};
struct Lane {
    std::string Label;
    std::vector<LaneSpan> Spans;
    std::vector<LaneMark> Marks;
};
struct LaneBand {
    std::int64_t FromNs = 0;
    std::int64_t ToNs = 0;
    std::string Label;  // written above the lanes at its start
};
struct LaneChart {
    std::string Title;
    std::int64_t StartNs = 0;
    std::int64_t EndNs = 1;
    std::vector<LaneKey> SpanKeys;  // legend of the span colours
    std::vector<LaneKey> MarkKeys;  // at most kMarkShapes
    std::string BandName;           // legend of the bands
    std::vector<Lane> Lanes;
    std::vector<LaneBand> Bands;
};
void PutLaneChart(TextOut& out, const LaneChart& chart);

}  // namespace zelmot
