// Tick steps and value-to-pixel mapping, shared by every chart of the page.
#include "html/chart_axis.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zelmot {

double NiceStep(double span, int maxTicks) {
    if (!(span > 0) || !std::isfinite(span)) return 1;
    if (maxTicks < 1) maxTicks = 1;
    const double raw = span / maxTicks;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0}) {
            // A little slack, so that 0.3 / 3 (0.09999...) gives 0.1, not 0.2.
            if (factor * power >= raw * (1 - 1e-9)) return factor * power;
        }
        power *= 10;
    }
}

LinearTicks MakeLinearTicks(double lo, double hi, int maxTicks) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    if (hi < lo) std::swap(lo, hi);
    if (hi == lo) hi = lo + (lo == 0 ? 1 : std::fabs(lo));
    if (maxTicks < 2) maxTicks = 2;
    LinearTicks ticks;
    // Rounding lo down and hi up can add one interval; shrink until it fits.
    for (int intervals = maxTicks - 1; intervals >= 1; --intervals) {
        ticks.Step = NiceStep(hi - lo, intervals);
        ticks.First = std::floor(lo / ticks.Step + 1e-9) * ticks.Step;
        const double last = std::ceil(hi / ticks.Step - 1e-9) * ticks.Step;
        ticks.Count = static_cast<int>(std::llround((last - ticks.First) / ticks.Step)) + 1;
        if (ticks.Count <= maxTicks) break;
    }
    ticks.Decimals = std::max(0, static_cast<int>(-std::floor(std::log10(ticks.Step) + 1e-9)));
    return ticks;
}

double TickValue(const LinearTicks& ticks, int index) {
    const double value = ticks.First + index * ticks.Step;
    // Round to the step's decimals, so that labels never show 0.30000000004.
    const double unit = std::pow(10.0, ticks.Decimals);
    return std::round(value * unit) / unit;
}

std::vector<double> MakeLogTicks(double lo, double hi, int maxTicks) {
    std::vector<double> ticks;
    if (!(lo > 0) || !(hi > lo) || !std::isfinite(hi)) return ticks;
    if (maxTicks < 2) maxTicks = 2;
    const int firstDecade = static_cast<int>(std::floor(std::log10(lo) + 1e-9));
    const int lastDecade = static_cast<int>(std::ceil(std::log10(hi) - 1e-9));
    auto inside = [&](double v) { return v >= lo * (1 - 1e-9) && v <= hi * (1 + 1e-9); };
    for (int d = firstDecade; d <= lastDecade; ++d) {
        for (double factor : {1.0, 2.0, 5.0}) {
            const double v = factor * std::pow(10.0, d);
            if (inside(v)) ticks.push_back(v);
        }
    }
    if (static_cast<int>(ticks.size()) <= maxTicks && ticks.size() >= 2) return ticks;
    ticks.clear();
    const int decades = lastDecade - firstDecade + 1;
    const int every = std::max(1, (decades + maxTicks - 1) / maxTicks);
    for (int d = firstDecade; d <= lastDecade; ++d) {
        const double v = std::pow(10.0, d);
        if ((d - firstDecade) % every == 0 && inside(v)) ticks.push_back(v);
    }
    if (ticks.size() < 2) ticks = {lo, hi};
    return ticks;
}

std::int64_t TimeTickStepSeconds(double spanSeconds, int maxTicks) {
    static constexpr std::array<std::int64_t, 18> kSteps = {
        1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    if (maxTicks < 1) maxTicks = 1;
    for (std::int64_t step : kSteps)
        if (spanSeconds / static_cast<double>(step) <= maxTicks) return step;
    const double days = std::ceil(spanSeconds / 86400.0 / maxTicks);
    return static_cast<std::int64_t>(std::max(1.0, days)) * 86400;
}

double ToPixel(const AxisScale& scale, double value) {
    double lo = scale.Lo;
    double hi = scale.Hi;
    if (scale.Log) {
        if (!(lo > 0) || !(hi > lo)) return scale.PixelLo;
        value = std::log(std::max(value, lo));
        lo = std::log(lo);
        hi = std::log(hi);
    }
    if (!(hi > lo) || !std::isfinite(value)) return scale.PixelLo;
    const double fraction = std::clamp((value - lo) / (hi - lo), 0.0, 1.0);
    return scale.PixelLo + fraction * (scale.PixelHi - scale.PixelLo);
}

}  // namespace zelmot
