// The time and graph columns of one line, each as its label and its value,
// in fixed order.
#include "output/time_columns.h"

#include <string_view>

namespace zelmot {
namespace {

[[gnu::always_inline]] inline void WriteTimeColumn(TextOut& out, std::string_view label, const TimeFormat& format,
                     std::int64_t valueNs) {
    if (!format.Present()) return;
    PutText(out, label);
    WriteTime(out, valueNs, format.Layout);
}

[[gnu::always_inline]] inline void WriteGraphColumn(TextOut& out, std::string_view label, const GraphSpec& graph,
                      std::int64_t valueNs) {
    if (graph.Width == 0) return;
    PutText(out, label);
    WriteGraph(out, graph.Width, valueNs, graph.FullScale, graph.Reciprocal);
}

}  // namespace

void WriteTimeColumns(TextOut& out, const DisplayOptions& options, const FrameTiming& now) {
    WriteTimeColumn(out, "a", options.TmeAbs, now.AbsTime);
    WriteTimeColumn(out, "d", options.TmeDelta, now.DeltaTime);
    WriteGraphColumn(out, "d", options.GrphDelta, now.DeltaTime);
    WriteTimeColumn(out, "g", options.TmeGap, now.GapTime);
    WriteGraphColumn(out, "g", options.GrphGap, now.GapTime);
    WriteTimeColumn(out, "ga", options.TmeGapAft, now.GapAfterTime);
    WriteGraphColumn(out, "ga", options.GrphGapAft, now.GapAfterTime);
}

}  // namespace zelmot
