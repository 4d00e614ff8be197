// A table of text cells printed with aligned columns: text columns left
// aligned, numbers right aligned, headers first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zelmot {

struct TextTable {
    std::vector<std::vector<std::string>> Rows;  // Rows[0] is the header
    std::vector<std::size_t> TextColumns{0};     // left aligned; every other column is right aligned
};

void AddRow(TextTable& table, std::vector<std::string> cells);

// The table, each line indented by two blanks, columns two blanks apart.
std::string RenderTable(const TextTable& table);

}  // namespace zelmot
