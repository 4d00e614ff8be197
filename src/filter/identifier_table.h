// The names a ShowOnly equation may use: constants, which substitution turns
// into their decimal value, and frame fields, which it turns into a code
// letter ('M' to 'X') and a number for the compiler.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelmot {

constexpr std::uint8_t kConstantCode = 1;

struct IdentifierEntry {
    std::string_view Name;
    std::uint8_t Code;   // kConstantCode, or the field's code letter
    std::int32_t Value;  // a constant's value, or the number after a field's letter
};

// The entry whose name equals name as a whole, compared without regard to
// case; nullptr when there is none.
const IdentifierEntry* LookupIdentifier(std::string_view name);

}  // namespace zelmot
