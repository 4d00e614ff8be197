// The line loop of the device file reader: the encoding found before the
// first line, the #Profibus_DP check, the lines that cannot be read, the
// block rules of the keyword table, the module reference after a Module
// line, the lines passed over counted by keyword, and at the end the blocks
// left open and the PrmText lists named but missing.
#include "gsd/gsd_reader.h"

#include <algorithm>

#include "common/ascii.h"
#include "common/text_file.h"
#include "gsd/gsd_lines.h"
#include "gsd/gsd_read_state.h"
#include "gsd/gsd_user_params.h"

namespace zelmot {
namespace {

constexpr std::string_view kFileMark = "#Profibus_DP";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The first line with text must be the mark; a UTF-8 byte order mark
// before it is passed over.
bool ReadFileMark(GsdLineSource& source) {
    GsdLine line;
    while (ReadGsdLine(source, line)) {
        std::string_view text = line.Text;
        if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
        while (!text.empty() && ascii::IsSpace(text.front())) text.remove_prefix(1);
        if (text.empty() && !line.OpenQuote) continue;
        return !line.TooLong && ascii::EqualsNoCase(text, kFileMark);
    }
    return false;
}

// A line holding only a number: the reference of the module above.
bool ReadModuleReference(GsdReadState& state, const GsdStatement& statement) {
    if (statement.Argument || statement.HasEquals || !statement.Value.empty() || statement.Keyword.empty() ||
        !ascii::IsDigit(statement.Keyword.front()))
        return false;
    GsdCursor cursor = CursorOver(statement.Keyword);
    const std::optional<std::int64_t> reference = ScanGsdNumber(cursor, 0, kGsdNumberLimit);
    if (!reference) return false;
    state.Device->Modules.back().Reference = static_cast<std::uint32_t>(*reference);
    return true;
}

// Counts a line passed over, under its keyword when it has one.
void CountSkipped(GsdDevice& device, std::string_view keyword) {
    ++device.SkippedLines;
    if (keyword.empty()) return;
    keyword = keyword.substr(0, utf8::FitLength(keyword, kGsdMaxKeywordSpelling));
    for (GsdSkipped& skipped : device.Skipped) {
        if (!ascii::EqualsNoCase(skipped.Keyword, keyword)) continue;
        ++skipped.Lines;
        return;
    }
    if (device.Skipped.size() < kGsdMaxSkippedKeywords) device.Skipped.push_back(GsdSkipped{std::string(keyword), 1});
}

// Lines of a block whose first line could not be read are passed over up to
// its end, or up to the next block's first line.
bool PassedOver(GsdReadState& state, const GsdKeyword* keyword, std::string_view spelled) {
    if (!state.Ignoring) return false;
    if (keyword != nullptr && keyword->Ends == state.Open) {
        CloseGsdBlock(state);
        return true;
    }
    if (keyword != nullptr && keyword->Opens != GsdBlock::None) {
        CloseGsdBlock(state);
        return false;
    }
    CountSkipped(*state.Device, spelled);
    return true;
}

// The block rules: false when the line breaks one (it has warned) or has
// been dealt with (an end keyword).
bool FitsBlocks(GsdReadState& state, const GsdKeyword& keyword) {
    const std::string name(keyword.Name);
    if (keyword.Within != GsdBlock::None && state.Open != keyword.Within) {
        WarnGsd(state, name + " outside " + std::string(GsdBlockName(keyword.Within)));
        return false;
    }
    if (keyword.Ends != GsdBlock::None) {
        if (state.Open == keyword.Ends)
            CloseGsdBlock(state);
        else
            WarnGsd(state, name + " without " + std::string(GsdBlockName(keyword.Ends)));
        return false;
    }
    if (keyword.Opens != GsdBlock::None && state.Open != GsdBlock::None) {
        WarnGsd(state, name + " inside " + std::string(GsdBlockName(state.Open)) + " of line " +
                           std::to_string(state.OpenLine) + " (" + std::string(GsdBlockEnd(state.Open)) + " missing)");
        CloseGsdBlock(state);
    }
    return true;
}

// Why a line cannot be read at all, or empty.
std::string LineFault(const GsdLine& line, bool parenthesesClosed) {
    if (line.TooLong) return "line longer than " + std::to_string(kGsdMaxLineLength) + " characters, not read";
    if (line.OpenQuote) return "unterminated quoted text";
    if (!parenthesesClosed) return "missing ')'";
    return {};
}

void ReadLine(GsdReadState& state, const GsdLine& line) {
    state.Line = line.Number;
    const bool afterModule = state.AfterModuleLine;
    state.AfterModuleLine = false;
    GsdStatement statement;
    const bool closed = SplitGsdStatement(line.Text, statement);
    if (statement.Keyword.empty() && statement.Value.empty() && !statement.Argument && !statement.HasEquals &&
        !line.OpenQuote)
        return;  // a blank line or only a comment
    const GsdKeyword* keyword = FindGsdKeyword(statement.Keyword);
    if (PassedOver(state, keyword, statement.Keyword)) return;
    const std::string fault = LineFault(line, closed);
    if (!fault.empty()) {
        WarnGsd(state, fault);
    } else if (keyword == nullptr) {
        if (afterModule && state.Open == GsdBlock::Module && ReadModuleReference(state, statement)) return;
        if (statement.Keyword.empty())
            WarnGsd(state, "line without a keyword");
        else
            CountSkipped(*state.Device, statement.Keyword);
        return;
    }
    if (keyword == nullptr || !FitsBlocks(state, *keyword)) return;
    if (fault.empty() && keyword->Read(state, statement, keyword->Tag)) return;
    if (keyword->Opens != GsdBlock::None) {
        state.Open = keyword->Opens;
        state.OpenLine = state.Line;
        state.Ignoring = true;
    }
}

// A definition's values are shown as numbers when its PrmText is missing;
// the text lists are sorted, the definitions still in file order.
void WarnMissingTextLists(GsdReadState& state) {
    const GsdDevice& device = *state.Device;
    for (std::size_t i = 0; i < device.Definitions.size(); ++i) {
        const GsdPrmDefinition& definition = device.Definitions[i];
        if (!definition.TextRef || FindGsdTextList(device, *definition.TextRef) != nullptr) continue;
        state.Line = state.TextRefLines[i];
        WarnGsd(state, "ExtUserPrmData " + std::to_string(definition.Number) + ": Prm_Text_Ref " +
                           std::to_string(*definition.TextRef) + " names no PrmText, values shown as numbers");
    }
}

Outcome ReadGsdSource(GsdLineSource& source, const std::string& name, GsdDevice& device) {
    device = GsdDevice{};
    device.SourceName = name;
    if (!ReadFileMark(source)) return ErrorText("%s: not a GSD file (no #Profibus_DP line)", name.c_str());
    GsdReadState state;
    state.Device = &device;
    GsdLine line;
    while (ReadGsdLine(source, line)) ReadLine(state, line);
    if (state.Open != GsdBlock::None && !state.Ignoring) {
        state.Line = state.OpenLine;
        WarnGsd(state, std::string(GsdBlockName(state.Open)) + " not closed by " + std::string(GsdBlockEnd(state.Open)));
        CloseGsdBlock(state);
    }
    // Sorted for the look-ups by number; the first of equal numbers counts.
    const auto byNumber = [](const auto& a, const auto& b) { return a.Number < b.Number; };
    std::stable_sort(device.TextLists.begin(), device.TextLists.end(), byNumber);
    WarnMissingTextLists(state);
    std::stable_sort(device.Definitions.begin(), device.Definitions.end(), byNumber);
    return Success();
}

}  // namespace

Outcome ReadGsdText(std::string_view text, const std::string& name, GsdDevice& device) {
    GsdLineSource source;
    source.Source.Text = text;
    source.Decoder.Encoding = DetectGsdEncoding(source.Source);
    RewindTextSource(source.Source);
    return ReadGsdSource(source, name, device);
}

Outcome ReadGsdFile(const std::string& path, GsdDevice& device) {
    device = GsdDevice{};
    TextFile file;
    if (!OpenTextFile(path, file)) return ErrorText("%s: cannot open the GSD file", path.c_str());
    GsdLineSource source;
    source.Decoder.Encoding = DetectGsdEncoding(file.Source);
    if (!RewindTextSource(file.Source)) return ErrorText("%s: cannot read the GSD file", path.c_str());
    source.Source = file.Source;  // reads the file; the record closes it
    return ReadGsdSource(source, path, device);
}

}  // namespace zelmot
