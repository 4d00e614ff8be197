// The arguments of the value options: a time format word for the time
// columns, and a width with a full-scale time for the gap graphs. Each reads
// from the cursor just behind its keyword and ignores the rest of the line.
#include "options/option_values.h"

#include <cstring>

namespace zelmot {
namespace {

constexpr std::int32_t kMinGraphWidth = 5;
constexpr std::int32_t kMaxGraphWidth = 100;

}  // namespace

Outcome ReadTimeFormatArgument(char* cursor, TimeFormat& format) {
    char* word = SkipBlanks(cursor);
    char* end = CutToken(word);
    *end = '\0';
    const auto length = static_cast<std::size_t>(end - word);
    if (length >= sizeof format.Text) return ErrorText("Time Format String Too Long '%s'", word);
    SetTimeFormat(format, std::string_view(word, length));
    return Success();
}

Outcome ReadGraphArguments(char* cursor, std::string_view keyword, GraphSpec& graph) {
    cursor = SkipBlanks(cursor);
    std::int32_t width = 0;
    Outcome result = ParseNumber(cursor, width);
    if (result.IsError()) return result;
    if (width < kMinGraphWidth || width > kMaxGraphWidth) {
        return ErrorText("Invalid %.*s Width value '%d' (5-100)", static_cast<int>(keyword.size()), keyword.data(), width);
    }
    graph.Width = static_cast<std::uint8_t>(width);
    cursor = SkipBlanks(cursor);
    std::int64_t fullScale = 0;
    result = ParseTimeValue(cursor, fullScale);
    if (result.IsError()) return result;
    graph.FullScale = fullScale;
    graph.Reciprocal = GraphReciprocalOf(fullScale);
    return Success();
}

}  // namespace zelmot
