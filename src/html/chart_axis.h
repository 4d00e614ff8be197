// Axis arithmetic of the charts: tick steps a reader takes in at a glance
// (1, 2 or 5 times a power of ten; whole seconds, minutes or hours on a time
// axis), log-scale ticks, and the mapping of a value onto a pixel range.
#pragma once

#include <cstdint>
#include <vector>

namespace zelmot {

// The smallest step of 1, 2 or 5 times a power of ten that cuts span into
// at most maxTicks intervals.
double NiceStep(double span, int maxTicks);

// Ticks First, First + Step, ... (Count of them) that cover [lo, hi]; a
// label shows Decimals digits after the point.
struct LinearTicks {
    double First = 0;
    double Step = 1;
    int Count = 2;
    int Decimals = 0;
};
LinearTicks MakeLinearTicks(double lo, double hi, int maxTicks);
double TickValue(const LinearTicks& ticks, int index);

// Tick values for a log axis over [lo, hi] (lo > 0): 1-2-5 per decade when
// they fit into maxTicks, else powers of ten, thinned to every n-th decade.
std::vector<double> MakeLogTicks(double lo, double hi, int maxTicks);

// A step in whole seconds for a time axis spanning spanSeconds (1, 2, 5, 10,
// 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12, 24 h, then whole days).
std::int64_t TimeTickStepSeconds(double spanSeconds, int maxTicks);

// Maps values of [Lo, Hi] (a log scale: Lo > 0) onto pixels [PixelLo,
// PixelHi]; values outside are clamped to the ends.
struct AxisScale {
    double Lo = 0;
    double Hi = 1;
    bool Log = false;
    double PixelLo = 0;
    double PixelHi = 1;
};
double ToPixel(const AxisScale& scale, double value);

}  // namespace zelmot
