// Reading the generator's record file for the tests that check a capture
// or a report against it.
#include "support/gen_record.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zelmot::test {
namespace {

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);) parts.push_back(part);
    if (!text.empty() && text.back() == by) parts.emplace_back();
    return parts;
}

}  // namespace

std::vector<GenRecordLine> ReadGenRecord(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "time_ns,master,station,event,frame,detail");
    std::vector<GenRecordLine> lines;
    while (std::getline(in, line)) {
        std::vector<std::string> fields = Split(line, ',');
        EXPECT_EQ(fields.size(), 6u) << line;
        if (fields.size() != 6) continue;
        GenRecordLine r{std::stoll(fields[0]), std::stoi(fields[1]), std::stoi(fields[2]), fields[3], fields[4],
                        fields[5], {}};
        for (const std::string& word : Split(fields[5], ' ')) {
            std::size_t equals = word.find('=');
            EXPECT_NE(equals, std::string::npos) << line;
            if (equals != std::string::npos) r.Detail[word.substr(0, equals)] = word.substr(equals + 1);
        }
        lines.push_back(std::move(r));
    }
    return lines;
}

}  // namespace zelmot::test
