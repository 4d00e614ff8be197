// Readers for the arguments of the value options: blanks, words, numbers,
// times with a unit, and the time-format and graph arguments built on them.
// All work on a cursor into a writable, terminated option line and may write
// terminators into it.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/outcome.h"
#include "options/display_options.h"

namespace zelmot {

// Moves over white space. A ';' reached there starts a remark: it is
// replaced by a terminator, so what follows reads as empty.
char* SkipBlanks(char* cursor);

// Returns the end of the word starting at start: the first white space, the
// terminator, or a ';', which is replaced by a terminator.
char* CutToken(char* start);

// Reads one number at the cursor: "0x" hexadecimal, a quote and a character,
// or signed decimal. Leaves the cursor at the next white space or the end.
Outcome ParseNumber(char*& cursor, std::int32_t& value);

// Reads one word of a number and a two-letter unit (hr mn sc ms us ns, any
// case) as nanoseconds. Leaves the cursor at the end of the word.
Outcome ParseTimeValue(char*& cursor, std::int64_t& nanoseconds);

// The argument of TmeAbs, TmeGap, TmeGapAft, TmeDelta: one word of 0 to 19
// characters; an empty word empties the format.
Outcome ReadTimeFormatArgument(char* cursor, TimeFormat& format);

// The arguments of a graph option: a width of 5 to 100 and a full-scale
// time. keyword names the option in the width message.
Outcome ReadGraphArguments(char* cursor, std::string_view keyword, GraphSpec& graph);

}  // namespace zelmot
