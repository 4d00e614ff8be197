// The walk over a time format word that finds its units, once per option
// file rather than once per value written.
#include "options/time_layout.h"

#include <string>

#include "common/ascii.h"

namespace zelmot {
namespace {

struct UnitWord {
    char Name[3];
    bool SeparatorAlways;  // the next character is its separator, even a letter
};

// In the fixed order of the walk, which is LayoutUnit's order.
constexpr UnitWord kUnitWords[kTimeUnitCount] = {
    {"hr", true}, {"mn", true}, {"sc", false}, {"ms", false}, {"us", false}, {"ns", false},
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
        if (layout.Count++ == 0) {
            layout.First = static_cast<LayoutUnit>(unit);
        } else {
            layout.Later[unit] = true;
        }
        if (rest.empty()) {
            layout.Separator[unit] = ' ';
        } else if (word.SeparatorAlways || !ascii::IsAlpha(rest[0])) {
            layout.Separator[unit] = rest[0];
            rest.remove_prefix(1);
        }
    }
    // Under a second, the units down to the seconds are zero: the first
    // blank-filled ("0" after width - 1 blanks), the later ones "00".
    constexpr auto kSeconds = static_cast<std::size_t>(LayoutUnit::Seconds);
    const auto first = static_cast<std::size_t>(layout.First);
    if (layout.Count != 0 && first <= kSeconds) {
        std::string prefix(kTimeUnitWidths[first] - 1u, ' ');
        prefix += '0';
        if (layout.Separator[first] != '\0') prefix += layout.Separator[first];
        for (std::size_t unit = first + 1; unit <= kSeconds; ++unit) {
            if (!layout.Later[unit]) continue;
            prefix += "00";
            if (layout.Separator[unit] != '\0') prefix += layout.Separator[unit];
        }
        static_assert(sizeof layout.ZeroPrefix >= 9, "the longest prefix is \" 0:00:00.\"");
        prefix.copy(layout.ZeroPrefix, prefix.size());
        layout.ZeroPrefixLength = static_cast<std::uint8_t>(prefix.size());
        for (std::size_t unit = kSeconds + 1; unit < kTimeUnitCount; ++unit)
            if (layout.Later[unit])
                layout.FractionLength += kTimeUnitWidths[unit] + (layout.Separator[unit] != '\0' ? 1 : 0);
    }
    return layout;
}

}  // namespace zelmot
