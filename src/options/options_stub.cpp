// Placeholder until the option file reader lands.
#include "options/option_file.h"
#include "options/option_help.h"

namespace zelmot {

const std::string_view kOptionHelpText = ";help\n";

Outcome ReadOptionFile(const std::string& path, DisplayOptions& options, FilterState& filter) {
    options = DisplayOptions{};
    if (path.empty()) return Success();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return ErrorText("Unable to Open Option File %s", path.c_str());
    TextSource source;
    source.file = file;
    Outcome result = ReadOptionLines(source, options, filter);
    std::fclose(file);
    return result;
}

Outcome ReadOptionLines(TextSource&, DisplayOptions&, FilterState&) { return Success(); }

Outcome ParseOptionLine(char*, DisplayOptions&) { return Success(); }

}  // namespace zelmot
