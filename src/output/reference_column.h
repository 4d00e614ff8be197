// The reference number column, "%9u": a line's number is its predecessor's
// or a little more, so the text of its thousands is kept from one line to
// the next and only its last three digits are worked out.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/text_out.h"

namespace zelmot {

struct KeptThousands {
    std::uint32_t Thousands = 0;  // 0: none kept
    std::uint8_t Length = 0;
    char Text[8] = {};  // Thousands as "%6u": the column less its last three digits
};

// Keeps the text of thousands (1 to 4,294,967: at most 7 digits).
void KeepThousands(KeptThousands& kept, std::uint32_t thousands);

// A number of 1000 or more has four digits at least: the digits of its
// thousands, blank-filled to six, then its last three zero-filled.
inline void WriteReferenceNumber(TextOut& out, std::uint32_t number, KeptThousands& kept) {
    const std::uint32_t thousands = number / 1000;
    if (thousands == 0) return PutUnsigned(out, number, 9);
    if (thousands != kept.Thousands) KeepThousands(kept, thousands);
    char* p = Reserve(out, sizeof kept.Text + 4);
    std::memcpy(p, kept.Text, sizeof kept.Text);
    std::memcpy(p + kept.Length, kThreeDigits.data() + 4 * (number - 1000 * thousands), 4);
    out.Used += kept.Length + 3u;
}

}  // namespace zelmot
