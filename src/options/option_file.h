// Reading the option file: one option per line, flag keywords and value
// keywords, ';' comments, and the hand-over of a ShowOnly section to the
// filter's equation reader.
#pragma once

#include <string>

#include "common/outcome.h"
#include "common/text_source.h"
#include "filter/filter_state.h"
#include "options/display_options.h"

namespace zelmot {

// Resets options, then reads the option file at path (an empty path reads
// nothing). A ShowOnly section is captured and compiled into filter.
Outcome ReadOptionFile(const std::string& path, DisplayOptions& options, FilterState& filter);

// Reads option lines from an open source (the body of ReadOptionFile after
// the reset and the opening).
Outcome ReadOptionLines(TextSource& source, DisplayOptions& options, FilterState& filter);

// Matches one stripped option line (writable, terminated) against the
// keyword table and applies it.
Outcome ParseOptionLine(char* line, DisplayOptions& options);

}  // namespace zelmot
