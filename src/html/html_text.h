// Text as it goes into the HTML page: every inserted text escaped (also
// inside SVG and attribute values).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text_out.h"

namespace zelmot {

// Appends text with & < > " ' as character references. Bytes that are not
// well-formed UTF-8 are taken as Latin-1 characters, control characters
// (other than tab and line feed) as their visible control pictures, so that
// the page is valid UTF-8 and nothing of the text is dropped.
void PutEscaped(TextOut& out, std::string_view text);
std::string EscapedText(std::string_view text);

}  // namespace zelmot
