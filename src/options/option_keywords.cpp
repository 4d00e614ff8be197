// The option keyword table and ParseOptionLine. Keywords match on a fixed
// number of leading characters, without regard to case, in table order, the
// first match winning; so each keyword stands before any shorter keyword
// that is its prefix (NoDstSap before NoDst, TmeGapAft before TmeGap).
#include <array>
#include <cstdint>

#include "options/option_file.h"
#include "common/ascii.h"
#include "options/option_values.h"

namespace zelmot {
namespace {

enum class KeywordKind : std::uint8_t { Flag, Ignored, Time, Graph };

struct OptionKeyword {
    std::string_view Name;
    std::uint8_t CompareLength;  // also where a value argument begins
    KeywordKind Kind;
    bool DisplayOptions::*flag = nullptr;
    TimeFormat DisplayOptions::*time = nullptr;
    GraphSpec DisplayOptions::*graph = nullptr;
};

constexpr OptionKeyword Flag(std::string_view name, std::uint8_t length, bool DisplayOptions::*flag) {
    return {name, length, KeywordKind::Flag, flag};
}
constexpr OptionKeyword Ignored(std::string_view name, std::uint8_t length) {
    return {name, length, KeywordKind::Ignored};
}
constexpr OptionKeyword Time(std::string_view name, TimeFormat DisplayOptions::*time) {
    return {name, static_cast<std::uint8_t>(name.size()), KeywordKind::Time, nullptr, time};
}
constexpr OptionKeyword Graph(std::string_view name, GraphSpec DisplayOptions::*graph) {
    return {name, static_cast<std::uint8_t>(name.size()), KeywordKind::Graph, nullptr, nullptr, graph};
}

constexpr std::array<OptionKeyword, 25> kOptionKeywords{{
    Flag("NoRef", 5, &DisplayOptions::NoRef),
    Flag("ShowFileOfs", 7, &DisplayOptions::ShowFileOfs),
    Flag("NoDelim", 7, &DisplayOptions::NoDelim),
    Flag("NoDstSap", 8, &DisplayOptions::NoDstSap),
    Flag("NoSrcSap", 8, &DisplayOptions::NoSrcSap),
    Flag("NoDst", 5, &DisplayOptions::NoDst),
    Flag("NoSrc", 5, &DisplayOptions::NoSrc),
    Flag("NoFc", 4, &DisplayOptions::NoFc),
    Flag("NoData", 6, &DisplayOptions::NoData),
    Flag("DataSgn", 7, &DisplayOptions::DataSgn),
    Flag("DataUns", 7, &DisplayOptions::DataUns),
    Flag("Data16", 6, &DisplayOptions::Data16),
    Flag("NoBad", 5, &DisplayOptions::NoBad),
    Flag("DetailSts", 9, &DisplayOptions::DetailSts),
    Flag("ShowFcbTyp", 10, &DisplayOptions::ShowFcbTyp),
    Flag("ShowFcs", 7, &DisplayOptions::ShowFcs),
    Ignored("Descrip=", 8),
    Ignored("ArgName", 7),
    Time("TmeAbs", &DisplayOptions::TmeAbs),
    Time("TmeGapAft", &DisplayOptions::TmeGapAft),
    Time("TmeGap", &DisplayOptions::TmeGap),
    Time("TmeDelta", &DisplayOptions::TmeDelta),
    Graph("GrphGapAft", &DisplayOptions::GrphGapAft),
    Graph("GrphGap", &DisplayOptions::GrphGap),
    Graph("GrphDelta", &DisplayOptions::GrphDelta),
}};

const OptionKeyword* FindKeyword(const char* line) {
    for (const OptionKeyword& keyword : kOptionKeywords) {
        if (ascii::StartsWithNoCase(line, keyword.Name.substr(0, keyword.CompareLength))) return &keyword;
    }
    return nullptr;
}

}  // namespace

Outcome ParseOptionLine(char* line, DisplayOptions& options) {
    const OptionKeyword* keyword = FindKeyword(line);
    if (keyword == nullptr) return ErrorText("Invalid Option Argument '%s'", line);
    char* argument = line + keyword->CompareLength;
    switch (keyword->Kind) {
        case KeywordKind::Flag: options.*(keyword->flag) = true; return Success();
        case KeywordKind::Ignored: return Success();
        case KeywordKind::Time: return ReadTimeFormatArgument(argument, options.*(keyword->time));
        case KeywordKind::Graph: return ReadGraphArguments(argument, keyword->Name, options.*(keyword->graph));
    }
    return Success();
}

}  // namespace zelmot
