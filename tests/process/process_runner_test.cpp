// The test support's process runner, the one place that starts programs:
// arguments arrive unchanged whatever they hold, the program runs in the
// folder asked for with no input, its output and exit status come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/capture_builder.h"
#include "support/process_runner.h"

namespace zelmot::test {
namespace {

namespace fs = std::filesystem;

// The echo's standard output for args run in dir.
std::string EchoText(const fs::path& dir, const std::vector<std::string>& args) {
    std::string text = "dir=" + dir.string() + "\ninput=0\n";
    for (const std::string& arg : args) text += "[" + arg + "]\n";
    return text;
}

TEST(ProcessRunner, ArgumentsArriveUnchanged) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"plain"},
        {"two words", "", "tab\there"},
        {"quote\"inside", "\"", "\"\""},
        {"trailing\\", "two\\\\", "a\\b c\\\\", "back\\\"quote"},
        {"sub\\demo1200", "opts\\full", "C:\\dir with space\\"},
        {"*.txt", "?", "'single'", "$HOME", "%PATH%", "a;b", "a|b", "a&b", "<in", ">out", "^"},
    };
    TempDir dir;
    const fs::path where = fs::canonical(dir.path());
    for (const std::vector<std::string>& args : cases) {
        ProcessRun run = RunProcess(ZELMOT_ECHO_EXE, args, ProcessOptions{where.string(), false});
        ASSERT_TRUE(run.Started);
        EXPECT_EQ(run.ExitCode, static_cast<int>(args.size()));
        EXPECT_EQ(run.Trouble, "");
        EXPECT_EQ(FromTextMode(run.Output), EchoText(where, args));
        EXPECT_EQ(FromTextMode(run.Errors), "to standard error\n");
    }
    EXPECT_TRUE(fs::is_empty(where)) << "a word was taken for a redirection";
}

TEST(ProcessRunner, MergedErrorsFollowTheOutput) {
    TempDir dir;
    const fs::path where = fs::canonical(dir.path());
    ProcessRun run = RunProcess(ZELMOT_ECHO_EXE, {"x"}, ProcessOptions{where.string(), true});
    ASSERT_TRUE(run.Started);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(FromTextMode(run.Output), EchoText(where, {"x"}) + "to standard error\n");
    EXPECT_EQ(run.Errors, "");
}

TEST(ProcessRunner, MissingProgramOrFolderOrASignalIsTrouble) {
    TempDir dir;
    const std::string missing = dir.Path("no-such-program");
    EXPECT_FALSE(ProgramAvailable(missing));
    EXPECT_FALSE(ProgramAvailable("zelmot-no-such-program"));
    EXPECT_TRUE(ProgramAvailable(ZELMOT_ECHO_EXE));
    ProcessRun run = RunProcess(missing, {"a"});
    EXPECT_FALSE(run.Started);
    EXPECT_EQ(run.ExitCode, -1);
    EXPECT_EQ(run.Trouble.rfind("could not start " + missing + ": ", 0), 0u) << run.Trouble;
    run = RunProcess(ZELMOT_ECHO_EXE, {}, ProcessOptions{dir.Path("no-such-folder"), true});
    EXPECT_FALSE(run.Started);
    EXPECT_EQ(run.ExitCode, -1);
    EXPECT_FALSE(run.Trouble.empty());
    if (!kWindows) {
        run = RunProcess("sh", {"-c", "kill -9 $$"});
        EXPECT_TRUE(run.Started);
        EXPECT_EQ(run.ExitCode, -1);
        EXPECT_EQ(run.Trouble, "ended by signal 9");
    }
}

// On Windows a run that ends with a failure status before writing anything
// (as wine now and then ends a start) is started again, twice at most;
// elsewhere it is what the program did.
TEST(ProcessRunner, ASilentFailureIsStartedAgainOnWindows) {
    TempDir dir;
    const fs::path where = fs::canonical(dir.path());
    const fs::path counter = where / "fail-silently";
    for (int failures : {1, 3}) {
        SCOPED_TRACE(failures);
        WriteText(counter.string(), std::to_string(failures));
        ProcessRun run = RunProcess(ZELMOT_ECHO_EXE, {"a"}, ProcessOptions{where.string(), false});
        const int starts = kWindows ? std::min(failures + 1, 3) : 1;
        const bool ran = starts > failures;
        EXPECT_EQ(run.ExitCode, ran ? 1 : 9);
        EXPECT_EQ(FromTextMode(run.Output), ran ? EchoText(where, {"a"}) : "");
        EXPECT_EQ(ReadText(counter.string()), std::to_string(failures - std::min(starts, failures)));
    }
}

TEST(ProcessRunner, SplitWordsKeepsSingleQuotedTextTogether) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"  a \tb  ", {"a", "b"}},
        {"--name 'CELL 7' x", {"--name", "CELL 7", "x"}},
        {"''", {""}},
        {"a'b c'd \"e f\"", {"ab cd", "\"e", "f\""}},
        {"'C:\\dir with space\\'", {"C:\\dir with space\\"}},
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(SplitWords(line), words) << line;
}

TEST(ProcessRunner, TextModeLineEnds) {
    // A progress line ends in CR alone and is no line end.
    const std::string plain = "a\nprogress 5%\rprogress 9%\r\nb\n\n";
    const std::string translated = ToTextMode(plain);
    EXPECT_EQ(translated, kWindows ? "a\r\nprogress 5%\rprogress 9%\r\r\nb\r\n\r\n" : plain);
    EXPECT_EQ(FromTextMode(translated), plain);
    EXPECT_EQ(FromTextMode("no end\r"), "no end\r");
}

}  // namespace
}  // namespace zelmot::test
