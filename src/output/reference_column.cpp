// The kept text of a reference number's thousands: once per thousand lines,
// so printf itself writes it.
#include "output/reference_column.h"

#include <cassert>
#include <cstdio>

namespace zelmot {

void KeepThousands(KeptThousands& kept, std::uint32_t thousands) {
    assert(thousands != 0 && thousands <= 4'294'967);
    // At most 7 digits and the terminating NUL: the text's 8 bytes.
    const int length = std::snprintf(kept.Text, sizeof kept.Text, "%6u", static_cast<unsigned>(thousands));
    assert(length > 0 && static_cast<std::size_t>(length) < sizeof kept.Text);
    kept.Length = static_cast<std::uint8_t>(length);
    kept.Thousands = thousands;
}

}  // namespace zelmot
