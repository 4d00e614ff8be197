// Placeholder until the frame decoding columns land.
#include "output/frame_columns.h"

namespace zelmot {

void WriteFrameColumns(TextOut&, const DisplayOptions&, const std::uint8_t*, std::uint8_t) {}

}  // namespace zelmot
