// The baseline file: read whole (a report, not a capture), parsed, and held
// to what a report of this schema holds: the schema number, the capture,
// the stations and the findings, each of its kind.
#include "report/baseline_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace zelmot {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool ReadWhole(const std::string& path, std::string& text) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) text.append(buffer, got);
    return std::ferror(file.get()) == 0;
}

// Empty when document is a report of the current schema; else what it lacks.
std::string WhatIsWrong(const ReportDocument& document) {
    if (!document.is_object()) return "not a JSON object";
    if (!document.contains("schema") || !document["schema"].is_number_integer()) return "no schema number";
    for (const char* key : {"capture", "stations", "findings"})
        if (!document.contains(key)) return std::string("no \"") + key + "\"";
    if (!document["capture"].is_object() || !document["stations"].is_array() || !document["findings"].is_array())
        return "\"capture\", \"stations\" or \"findings\" of the wrong kind";
    for (const ReportDocument& station : document["stations"])
        if (!station.is_object() || !station.contains("address") || !station["address"].is_number_integer())
            return "a station without an address";
    return {};
}

}  // namespace

Outcome ReadBaseline(const std::string& path, ReportDocument& baseline) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return ErrorText("Baseline File %s is a folder, not a JSON report", path.c_str());
    std::string text;
    if (!ReadWhole(path, text)) return ErrorText("Unable to Open Baseline File %s", path.c_str());
    if (text.empty()) return ErrorText("Baseline File %s is empty: not a zelmot-stats JSON report", path.c_str());
    baseline = ReportDocument::parse(text, nullptr, false);
    if (baseline.is_discarded())
        return ErrorText("Baseline File %s is not a zelmot-stats JSON report: not JSON, or cut short", path.c_str());
    if (baseline.is_object() && baseline.contains("schema") && baseline["schema"].is_number_integer() &&
        baseline["schema"].get<std::int64_t>() != kReportSchema)
        return ErrorText("Baseline File %s is a report of schema %lld; this zelmot-stats reads schema %d", path.c_str(),
                         static_cast<long long>(baseline["schema"].get<std::int64_t>()), kReportSchema);
    const std::string wrong = WhatIsWrong(baseline);
    if (!wrong.empty())
        return ErrorText("Baseline File %s is not a zelmot-stats JSON report: %s", path.c_str(), wrong.c_str());
    return Success();
}

}  // namespace zelmot
