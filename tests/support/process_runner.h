// Test support: the one place where tests start programs (the tools under
// test and any helper program of the machine). A program runs with no
// input, in a folder of choice, its output collected; the same interface on
// POSIX systems (process_runner_posix.cpp) and on Windows
// (process_runner_windows.cpp).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelmot::test {

struct ProcessOptions {
    std::string WorkDir;      // the folder it runs in; empty: the current one
    bool MergeErrors = true;  // standard error into Output, in the order written
};

struct ProcessRun {
    bool Started = false;  // false: the program could not be started
    int ExitCode = -1;     // its exit status; -1 when it did not exit normally
    std::string Output;    // standard output (and standard error when merged), untranslated
    std::string Errors;    // standard error when not merged
    // Why it was not started or did not exit normally ("could not start:
    // ...", "ended by signal 11"); empty when it exited normally. For a
    // failing test's message.
    std::string Trouble;
};

// Runs program (a path, or a name looked up on the search path) with args,
// each passed as one argument whatever it contains, and waits for it.
ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& args,
                      const ProcessOptions& options = {});

// Whether program is a path to an existing file or a name found on the
// search path (on Windows also with ".exe"); tests that need a tool of the
// machine skip when it is missing.
bool ProgramAvailable(const std::string& program);

// A command line's words for RunProcess: words are separated by blanks,
// text in single quotes belongs to one word ("--name 'CELL 7'" is two words).
// No other character is special.
std::vector<std::string> SplitWords(const std::string& line);

// For the platform branches: the text of a file a program's output was
// collected in, which is removed afterwards.
std::string TakeCollectedFile(const std::filesystem::path& path);

// True when built for Windows, where text-mode streams end lines in CR LF.
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// The text a program wrote to a text-mode stream or file, with the
// platform's line ends turned back into "\n" (every CR LF pair becomes LF;
// a CR alone, as the progress line writes it, stays).
std::string FromTextMode(std::string text);

// The other way: "\n" as a text-mode stream of this platform writes it.
std::string ToTextMode(const std::string& text);

}  // namespace zelmot::test
