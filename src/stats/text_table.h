// A table of text cells printed with aligned columns: the first column left
// aligned (labels), every other one right aligned (numbers), headers first.
#pragma once

#include <string>
#include <vector>

namespace zelmot {

struct TextTable {
    std::vector<std::vector<std::string>> Rows;  // Rows[0] is the header
};

void AddRow(TextTable& table, std::vector<std::string> cells);

// The table, each line indented by two blanks, columns two blanks apart.
std::string RenderTable(const TextTable& table);

}  // namespace zelmot
