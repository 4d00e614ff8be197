// The status column and the decoded FDL columns of a line: delimiters,
// addresses, frame control, SAPs, data units, check sum and end delimiter,
// or a complaint and the raw bytes for a frame that breaks its shape.
#pragma once

#include <cstdint>

#include "common/text_out.h"
#include "options/display_options.h"

namespace zelmot {

// bytes holds count frame bytes followed by the status byte (bytes[count]).
// Nothing outside those count + 1 bytes is read.
void WriteFrameColumns(TextOut& out, const DisplayOptions& options, const std::uint8_t* bytes,
                       std::uint8_t count);

}  // namespace zelmot
