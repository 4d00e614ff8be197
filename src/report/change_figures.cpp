// Figures of two report documents and the rules that compare them.
#include "report/change_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/number_text.h"

namespace zelmot {

double Number(const ReportDocument& value) { return value.is_number() ? value.get<double>() : 0.0; }

std::string Text(const ReportDocument& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_null()) return "none";
    return value.dump(-1, ' ', false, ReportDocument::error_handler_t::replace);
}

std::string Grouped(const ReportDocument& value) {
    if (value.is_number_unsigned()) return GroupedUnsigned(value.get<std::uint64_t>());
    if (value.is_number_integer()) return GroupedInteger(value.get<std::int64_t>());
    return Text(value);
}

std::string Fixed(double value, int decimals) { return GroupedFixed(value, decimals); }

std::string Milliseconds(double ns) { return GroupedFixed(ns / 1e6, 3); }

bool MovesBy(double before, double after, double percent, double atLeast) {
    const double move = std::fabs(after - before);
    return move > atLeast && move * 100 > percent * std::fabs(before);
}

std::vector<int> Masters(const ReportDocument& document) {
    std::vector<int> masters;
    for (const ReportDocument& station : document["stations"])
        if (station["role"] == "master" || station["role"] == "both") masters.push_back(station["address"].get<int>());
    return masters;
}

std::string AddressList(const std::vector<int>& addresses) {
    if (addresses.empty()) return "none";
    std::string text;
    for (int address : addresses) text += (text.empty() ? "" : ", ") + std::to_string(address);
    return text;
}

double SpanHours(const ReportDocument& document) { return Number(document["capture"]["span_ns"]) / 3.6e12; }

std::string PerHour(double count, double hours) { return hours > 0 ? GroupedFixed(count / hours, 1) : "-"; }

RateMove CompareCounts(Count before, Count after, double minEvents) {
    if (before.Base <= 0 || after.Base <= 0) return RateMove::None;
    const double rateBefore = before.Events / before.Base;
    const double rateAfter = after.Events / after.Base;
    const double expected = rateBefore * after.Base;
    if (rateAfter >= 2 * rateBefore && after.Events - expected >= minEvents) return RateMove::Up;
    if (rateAfter * 2 <= rateBefore && expected - after.Events >= minEvents) return RateMove::Down;
    return RateMove::None;
}

void CompareRate(std::vector<Change>& changes, int address, const std::string& name, const char* kind,
                 const char* what, Count before, Count after, RateUnit unit, double minEvents) {
    const RateMove move = CompareCounts(before, after, minEvents);
    if (move == RateMove::None) return;
    const double scale = unit == RateUnit::Percent ? 100 : unit == RateUnit::PerThousand ? 1000 : 1;
    const double rateBefore = before.Events / before.Base * scale;
    const double rateAfter = after.Events / after.Base * scale;
    const char* sign = unit == RateUnit::Percent ? "%" : "";
    const int decimals = unit == RateUnit::Percent ? 2 : 1;
    AddChange(changes, {kind, address, what, rateBefore, rateAfter, move == RateMove::Up,
                        name + ": " + what + " " + Fixed(rateBefore, decimals) + sign + " -> " +
                            Fixed(rateAfter, decimals) + sign + (move == RateMove::Up ? " (worse)" : " (better)")});
}

void AddChange(std::vector<Change>& changes, Change change) { changes.push_back(std::move(change)); }

}  // namespace zelmot
