// The kept text of a reference number's thousands.
#include "output/reference_column.h"

#include <cassert>

namespace zelmot {

void KeepThousands(KeptThousands& kept, std::uint32_t thousands) {
    assert(thousands != 0 && thousands <= 4'294'967);
    char digits[8];
    char* d = digits + sizeof digits;
    for (std::uint32_t rest = thousands; rest != 0; rest /= 10) *--d = static_cast<char>('0' + rest % 10);
    const auto count = static_cast<std::size_t>(digits + sizeof digits - d);
    const std::size_t blanks = count < 6 ? 6 - count : 0;
    std::memset(kept.Text, ' ', blanks);
    std::memcpy(kept.Text + blanks, d, count);
    kept.Length = static_cast<std::uint8_t>(blanks + count);
    kept.Thousands = thousands;
}

}  // namespace zelmot
