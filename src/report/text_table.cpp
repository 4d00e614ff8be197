// Aligned text tables for the text report.
#include "report/text_table.h"

#include <algorithm>

namespace zelmot {

void AddRow(TextTable& table, std::vector<std::string> cells) { table.Rows.push_back(std::move(cells)); }

std::string RenderTable(const TextTable& table) {
    std::vector<std::size_t> widths;
    for (const auto& row : table.Rows) {
        if (row.size() > widths.size()) widths.resize(row.size(), 0);
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::string out;
    for (const auto& row : table.Rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            std::size_t pad = widths[i] - row[i].size();
            line += "  ";
            bool text = std::find(table.TextColumns.begin(), table.TextColumns.end(), i) != table.TextColumns.end();
            if (text) line += row[i] + std::string(pad, ' ');
            else line += std::string(pad, ' ') + row[i];
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

}  // namespace zelmot
