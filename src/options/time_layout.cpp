// The walk over a time format word that finds its units, once per option
// file rather than once per value written.
#include "options/time_layout.h"

#include "common/ascii.h"

namespace zelmot {
namespace {

struct UnitWord {
    char Name[3];
    std::uint8_t Width;    // digits of the unit after the first
    bool SeparatorAlways;  // the next character is its separator, even a letter
};

// In the fixed order of the walk, which is LayoutUnit's order.
constexpr UnitWord kUnitWords[kTimeUnitCount] = {
    {"hr", 2, true}, {"mn", 2, true}, {"sc", 2, false},
    {"ms", 3, false}, {"us", 3, false}, {"ns", 3, false},
};
static_assert([] {
    for (const UnitWord& unit : kUnitWords)
        if (!ascii::IsLower(unit.Name[0]) || !ascii::IsLower(unit.Name[1])) return false;
    return true;
}(), "MatchesUnit needs lower-case unit names");

// The second character is looked at only when the first is not the end.
// The names are lower-case letters, so setting bit 5 (0x20) of a character
// makes it equal to one exactly when it is that letter in either case.
bool MatchesUnit(std::string_view rest, const char* name) {
    return rest.size() >= 2 && (rest[0] | 0x20) == name[0] && (rest[1] | 0x20) == name[1];
}

}  // namespace

TimeLayout TimeLayoutOf(std::string_view text) {
    // The word ends at its first NUL, as it did when it was a C string.
    text = text.substr(0, text.find('\0'));
    TimeLayout layout;
    std::string_view rest = text;
    for (std::size_t unit = 0; unit < kTimeUnitCount; ++unit) {
        const UnitWord& word = kUnitWords[unit];
        if (!MatchesUnit(rest, word.Name)) continue;
        rest.remove_prefix(2);
        TimeLayoutStep& step = layout.Steps[layout.Count++];
        step.Unit = static_cast<LayoutUnit>(unit);
        step.Width = word.Width;
        if (rest.empty()) {
            step.Separator = ' ';
        } else if (word.SeparatorAlways || !ascii::IsAlpha(rest[0])) {
            step.Separator = rest[0];
            rest.remove_prefix(1);
        }
    }
    return layout;
}

}  // namespace zelmot
