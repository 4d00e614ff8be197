// The option help text: 127 lines, each a ';' comment or empty, so that the
// text saved to a file reads back as an option file that sets nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "option_test_util.h"
#include "options/option_help.h"

namespace zelmot {
namespace {

std::vector<std::string> HelpLines() {
    std::vector<std::string> lines;
    std::string_view text = kOptionHelpText;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    EXPECT_TRUE(text.empty()) << "text after the last line feed";
    return lines;
}

TEST(OptionHelp, HasItsLinesInPlace) {
    const std::vector<std::string> lines = HelpLines();
    ASSERT_EQ(lines.size(), 127u);
    EXPECT_EQ(lines[0], ";Zelmot2Txt v4.1.2 - Copyright (c) Velmor Trawlex");
    EXPECT_EQ(lines[1], ";Capture Frame Text Dump Utility");
    EXPECT_EQ(lines[4], ";NoRef       don't show reference numbers");
    EXPECT_EQ(lines[27], ";   <fmt> - example 'hr:mn:sc.ms,us,ns'");
    EXPECT_EQ(lines[39], ";ShowOnly   the next lines define a logic equation that controls");
    EXPECT_EQ(lines[88], ";       RD      = 0x0c  - Rsp: No Resource for Send Data, with Data (Low Priority)");
    EXPECT_EQ(lines[96], ";   GapAft        - Gap time after  this frame (in uSec)");
    EXPECT_EQ(lines[113], ";   %    MOD");
    EXPECT_EQ(lines[121], ";   )    RPAREN");
    EXPECT_EQ(lines[126], "; NOTE: a ';' in front of option makes it a comment.");
    const std::vector<std::size_t> emptyLines = {14, 18, 23, 31, 39, 123, 126};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool empty = std::find(emptyLines.begin(), emptyLines.end(), i + 1) != emptyLines.end();
        if (empty) {
            EXPECT_EQ(lines[i], "") << "line " << i + 1;
        } else {
            ASSERT_FALSE(lines[i].empty()) << "line " << i + 1;
            EXPECT_EQ(lines[i][0], ';') << "line " << i + 1;
        }
        EXPECT_EQ(lines[i].find_first_of("\r\t"), std::string::npos) << "line " << i + 1;
        EXPECT_TRUE(lines[i].empty() || lines[i].back() != ' ') << "line " << i + 1;
    }
}

TEST(OptionHelp, ReadsBackAsAnOptionFileThatSetsNothing) {
    TextSource source;
    source.Text = kOptionHelpText;
    DisplayOptions options;
    FilterState filter;
    Outcome result = ReadOptionLines(source, options, filter);
    ASSERT_TRUE(result.IsOk()) << result.Text;
    EXPECT_EQ(test::Describe(options), "");
}

TEST(OptionHelp, EveryKeyWordItListsIsAcceptedByTheEquation) {
    // The key words: the first word of each line from "Key Words" on to the
    // operators, an index in brackets given as 0.
    const std::vector<std::string> lines = HelpLines();
    auto first = std::find(lines.begin(), lines.end(), ";   Key Words are as follows:");
    auto last = std::find(lines.begin(), lines.end(), "; Operators");
    ASSERT_LT(first, last);
    std::size_t checked = 0;
    for (auto line = first + 1; line != last; ++line) {
        std::size_t begin = line->find_first_not_of("; ");
        std::string word = line->substr(begin, line->find(' ', begin) - begin);
        if (std::size_t bracket = word.find('['); bracket != std::string::npos) word = word.substr(0, bracket) + "[0]";
        const std::string optionText = "ShowOnly\n  " + word + " == 0\n#\n";
        TextSource source;
        source.Text = optionText;
        DisplayOptions options;
        FilterState filter;
        Outcome result = ReadOptionLines(source, options, filter);
        EXPECT_TRUE(result.IsOk()) << *line << ": " << result.Text;
        ++checked;
    }
    EXPECT_EQ(checked, 55u);
}

}  // namespace
}  // namespace zelmot
