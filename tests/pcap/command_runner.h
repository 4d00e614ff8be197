// Test support: runs zelmot2pcap (through the test support's process
// runner) and shell commands of the Linux readers (tcpdump, tshark), and
// collects what they print.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "support/process_runner.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace zelmot::test {

struct CommandResult {
    int Status = -1;
    std::string Output;
};

inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs command with sh; Output is its standard output (stderr as the
// command line redirects it). Only where there is a POSIX shell: the tests
// that need one skip on Windows, where the readers are missing as well.
inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
#ifdef _WIN32
    result.Output = "no POSIX shell to run: " + command;
#else
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.Output.append(chunk, got);
    int status = ::pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

// zelmot2pcap with the arguments; Output is what it writes to standard error.
inline CommandResult RunPcapTool(const std::vector<std::string>& args) {
    ProcessRun run = RunProcess(ZELMOT2PCAP_EXE, args, ProcessOptions{"", false});
    return CommandResult{run.Started ? run.ExitCode : -1, FromTextMode(std::move(run.Errors))};
}

inline bool HaveProgram(const std::string& name) { return !kWindows && ProgramAvailable(name); }

}  // namespace zelmot::test
