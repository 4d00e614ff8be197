// The pieces the comparison of two reports is made of: figures read from
// the report documents (a number, a text, the masters, the span), the rule
// that holds a count against the baseline's rate, and the thresholds of
// every rule, kept together so the manual page can be checked against them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/report_changes.h"
#include "report/report_document.h"

namespace zelmot {

constexpr double kFigureMovePercent = 20;  // frames per second, bus load: relative move
constexpr double kBusLoadPoints = 1;       // bus load: and at least this many percentage points
constexpr double kTimeMovePercent = 20;    // response time and token rotation p99
constexpr double kResponseMoveBits = 10;   // response time p99: and at least this many bit times
constexpr double kMoreDamaged = 5;         // damaged frames, retries, unanswered: events beyond the baseline's rate
constexpr double kMoreFindings = 2;        // a finding's occurrences beyond the baseline's rate
constexpr double kMoreDropOuts = 2;        // a slave's entries and drop-outs beyond the baseline's rate

// A figure as a number (0 for null or a text), as a text ("none" for null).
double Number(const ReportDocument& value);
std::string Text(const ReportDocument& value);
std::string Grouped(const ReportDocument& value);
std::string Fixed(double value, int decimals);
std::string Milliseconds(double ns);

// Whether after differs from before by more than percent of before and by
// more than atLeast.
bool MovesBy(double before, double after, double percent, double atLeast);

// The stations in the role of master (or both), by address; "1, 2" or "none".
std::vector<int> Masters(const ReportDocument& document);
std::string AddressList(const std::vector<int>& addresses);

// The capture's span in hours; a count per hour in words ("12.5").
double SpanHours(const ReportDocument& document);
std::string PerHour(double count, double hours);

// A count of events over its base: frames, requests or hours.
struct Count {
    double Events = 0;
    double Base = 0;
};

enum class RateMove { None, Up, Down };

// Up when after's rate at least doubles the baseline's and at least
// minEvents more events came than the baseline's rate predicts for after's
// base; Down when it halves the same way; None otherwise or without a base.
RateMove CompareCounts(Count before, Count after, double minEvents);

enum class RateUnit { Percent, PerThousand, PerHour };

// A change of kind when the rate moves (CompareCounts): worse when it rises.
void CompareRate(std::vector<Change>& changes, int address, const std::string& name, const char* kind,
                 const char* what, Count before, Count after, RateUnit unit, double minEvents);

void AddChange(std::vector<Change>& changes, Change change);

}  // namespace zelmot
