// The bundled examples converted by the real executable and compared, byte
// for byte, with their expected output in examples/expected/. Each runs in a
// fresh folder with relative names, so no path of the machine appears in
// the header echo or the File lines.
//
// After a deliberate change of the output, set ZELMOT_UPDATE_EXAMPLES=1 and
// run this test once: it then writes the expected files instead of checking
// them (and reports itself skipped). Review the difference before keeping it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/capture_builder.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(ZELMOT_SOURCE_DIR) / "examples";
const char* const kCaptureFiles[] = {"demo1200.Zelmot", "demo1201.Zelmot", "demo1202.Zelmot"};

struct Example {
    std::string name;               // examples/<name>.opt, examples/expected/<name>.txt
    std::vector<std::string> words;  // command-line option words
};

// full stops at EndRef to keep its expected file small; it still crosses a
// resynchronisation and a file change.
const std::vector<Example> kExampleRuns = {
    {"full", {"NumMin=2", "EndRef=1600"}},
    {"errors", {"NumMin=3"}},
    {"station", {"NumMin=3", "Arg0=7"}},
    {"token", {"NumMin=3"}},
    {"compact", {"NumMin=3"}},
};

void PrintTo(const Example& example, std::ostream* out) { *out << example.name; }

bool UpdatingExpected() {
    const char* flag = std::getenv("ZELMOT_UPDATE_EXAMPLES");
    return flag != nullptr && flag[0] != '\0' && flag[0] != '0';
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// The first differing line, so that a failure names the place instead of
// printing two texts of thousands of lines.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::vector<std::string> want = SplitLines(expected);
    std::vector<std::string> got = SplitLines(actual);
    for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
        const std::string w = i < want.size() ? want[i] : "<no line>";
        const std::string g = i < got.size() ? got[i] : "<no line>";
        if (w != g)
            return "line " + std::to_string(i + 1) + "\n  expected: [" + w + "]\n  actual:   [" + g + "]";
    }
    return "the texts differ only in their final line end";
}

// The capture and the option file copied into dir; the conversion's output.
std::string ConvertExample(const Example& example, const test::TempDir& dir) {
    for (const char* file : kCaptureFiles) fs::copy_file(kExamples / file, dir.path() / file);
    fs::copy_file(kExamples / (example.name + ".opt"), dir.path() / (example.name + ".opt"));
    std::vector<std::string> args = {"demo1200", example.name};
    args.insert(args.end(), example.words.begin(), example.words.end());
    test::ToolResult run = test::RunTool(args, dir.path().string());
    const std::string output = "demo1200_" + example.name + ".txt";
    EXPECT_EQ(run.status, 0) << run.console;
    const std::string success = "\nSuccess - Created: " + output + "\n";
    EXPECT_TRUE(run.console.size() >= success.size() &&
                run.console.compare(run.console.size() - success.size(), success.size(), success) == 0)
        << run.console;
    return test::FileExists(dir.Path(output)) ? test::ReadText(dir.Path(output)) : std::string();
}

class ExampleTest : public ::testing::TestWithParam<Example> {};

TEST_P(ExampleTest, ConvertsToItsExpectedOutput) {
    const Example& example = GetParam();
    test::TempDir dir;
    const std::string actual = ConvertExample(example, dir);
    ASSERT_FALSE(actual.empty()) << "no output for " << example.name;
    const fs::path expectedPath = kExamples / "expected" / (example.name + ".txt");
    if (UpdatingExpected()) {
        fs::create_directories(expectedPath.parent_path());
        test::WriteText(expectedPath.string(), test::FromTextMode(actual));
        GTEST_SKIP() << "wrote " << expectedPath;
    }
    ASSERT_TRUE(test::FileExists(expectedPath.string())) << expectedPath << " is missing";
    // The output file is written in text mode: on Windows every line ends in CR LF.
    const std::string expected = test::ToTextMode(test::ReadText(expectedPath.string()));
    EXPECT_TRUE(expected == actual) << example.name << ": " << FirstDifference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest, ::testing::ValuesIn(kExampleRuns),
                         [](const ::testing::TestParamInfo<Example>& run) { return run.param.name; });

// Every option file in examples/ has a run above (so none goes unchecked)
// and opens with a comment header that says what it shows.
TEST(ExampleFiles, EveryOptionFileIsCheckedAndExplained) {
    std::set<std::string> checked;
    for (const Example& example : kExampleRuns) checked.insert(example.name);
    std::set<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(kExamples)) {
        if (entry.path().extension() != ".opt") continue;
        const std::string name = entry.path().stem().string();
        found.insert(name);
        const std::string text = test::ReadText(entry.path().string());
        EXPECT_EQ(text.rfind("; " + name + ".opt - ", 0), 0u) << name << ".opt has no comment header";
    }
    EXPECT_EQ(found, checked);
}

}  // namespace
}  // namespace zelmot
