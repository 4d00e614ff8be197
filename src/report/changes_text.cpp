// The changes as text: a line each, "worse", "better" or blank before it.
#include "report/changes_text.h"

#include <cinttypes>
#include <cstdio>

#include "report/change_figures.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

// "2 h 10 min", "10 min 5 s", "42.7 s"
std::string SpanWords(double ns) {
    const auto seconds = static_cast<std::int64_t>(ns / 1e9);
    char text[48];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%" PRId64 " h %" PRId64 " min", seconds / 3600, seconds % 3600 / 60);
    else if (seconds >= 60)
        std::snprintf(text, sizeof text, "%" PRId64 " min %" PRId64 " s", seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%.1f s", ns / 1e9);
    return text;
}

}  // namespace

std::string CaptureWords(const ReportDocument& document) {
    const ReportDocument& capture = document["capture"];
    const ReportDocument name = capture.contains("name") ? capture["name"] : ReportDocument(nullptr);
    std::string text = name.is_string() ? name.get<std::string>() : "(no name)";
    if (capture.contains("first_ns") && capture["first_ns"].is_number_integer())
        text += ", first frame " + ClockText(capture["first_ns"].get<std::int64_t>(), 3);
    return text + ", " + SpanWords(Number(capture["span_ns"]));
}

std::string ChangesSection(const ReportDocument& baseline, const ReportDocument& now, const std::vector<Change>& changes) {
    std::size_t worse = 0, better = 0;
    for (const Change& change : changes) {
        if (change.Worse && *change.Worse) ++worse;
        if (change.Worse && !*change.Worse) ++better;
    }
    std::string text = "Changes since the baseline: ";
    text += changes.empty() ? std::string("none")
                            : std::to_string(worse) + " worse, " + std::to_string(better) + " better, " +
                                  std::to_string(changes.size() - worse - better) + " neither";
    text += "\n  baseline:     " + CaptureWords(baseline) + "\n  this capture: " + CaptureWords(now) + "\n";
    for (const Change& change : changes) {
        const char* mark = !change.Worse ? "        " : *change.Worse ? "worse   " : "better  ";
        text += std::string("  ") + mark + " " + change.Words + "\n";
    }
    return text;
}

}  // namespace zelmot
