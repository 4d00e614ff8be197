// The compile-time check of a table read by an enum: row i holds key i, so
// the table can be indexed by the enum's value and no row slips when an
// enum value is added or moved.
#pragma once

#include <cstddef>
#include <iterator>

namespace zelmot {

// Whether rows[i].Key == i (as a number) for every row, and the table has
// count rows.
template <class Rows>
constexpr bool RowsInKeyOrder(const Rows& rows, std::size_t count) {
    if (std::size(rows) != count) return false;
    std::size_t i = 0;
    for (const auto& row : rows)
        if (static_cast<std::size_t>(row.Key) != i++) return false;
    return true;
}

}  // namespace zelmot
