// Helpers for the option tests: a one-line description of everything in a
// DisplayOptions that differs from its reset values, and parsing of a line
// held in a writable buffer.
#pragma once

#include <string>
#include <vector>

#include "common/outcome.h"
#include "options/display_options.h"
#include "options/option_file.h"

namespace zelmot::test {

// Names of the set flags, then "Name=format" for non-empty time formats and
// "Name=width/fullscale" for graphs with a width, in field order, blank
// separated. Reset values give "".
inline std::string Describe(const DisplayOptions& o) {
    std::string text;
    auto add = [&text](const std::string& item) {
        if (!text.empty()) text += ' ';
        text += item;
    };
    const std::pair<const char*, bool> flags[] = {
        {"NoRef", o.NoRef},           {"ShowFileOfs", o.ShowFileOfs}, {"NoDelim", o.NoDelim},
        {"NoDst", o.NoDst},           {"NoSrc", o.NoSrc},             {"NoFc", o.NoFc},
        {"NoDstSap", o.NoDstSap},     {"NoSrcSap", o.NoSrcSap},       {"NoData", o.NoData},
        {"NoBad", o.NoBad},           {"DataSgn", o.DataSgn},         {"DataUns", o.DataUns},
        {"Data16", o.Data16},         {"DetailSts", o.DetailSts},     {"ShowFcbTyp", o.ShowFcbTyp},
        {"ShowFcs", o.ShowFcs},       {"ShowOnlyActive", o.ShowOnlyActive},
    };
    for (const auto& [name, set] : flags) {
        if (set) add(name);
    }
    const std::pair<const char*, const TimeFormat*> times[] = {
        {"TmeAbs", &o.TmeAbs}, {"TmeGap", &o.TmeGap}, {"TmeGapAft", &o.TmeGapAft}, {"TmeDelta", &o.TmeDelta}};
    for (const auto& [name, format] : times) {
        if (format->Present()) add(std::string(name) + "=" + format->Text);
    }
    const std::pair<const char*, const GraphSpec*> graphs[] = {
        {"GrphGap", &o.GrphGap}, {"GrphGapAft", &o.GrphGapAft}, {"GrphDelta", &o.GrphDelta}};
    for (const auto& [name, graph] : graphs) {
        if (graph->Width != 0 || graph->FullScale != 0) {
            add(std::string(name) + "=" + std::to_string(graph->Width) + "/" + std::to_string(graph->FullScale));
        }
    }
    return text;
}

// ParseOptionLine on a writable copy of line.
inline Outcome ParseLine(const std::string& line, DisplayOptions& options) {
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    return ParseOptionLine(buffer.data(), options);
}

}  // namespace zelmot::test
