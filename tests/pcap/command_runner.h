// Test support: runs shell commands (the built programs, tcpdump, tshark)
// and collects what they print.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

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
// command line redirects it).
inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.Output.append(chunk, got);
    int status = ::pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// zelmot2pcap with the arguments; Output is what it writes to standard error.
inline CommandResult RunPcapTool(const std::vector<std::string>& args) {
    std::string command = ShellQuote(ZELMOT2PCAP_EXE);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    return RunCommand(command + " 2>&1 >/dev/null </dev/null");
}

inline bool HaveProgram(const std::string& name) {
    return RunCommand("command -v " + name + " >/dev/null 2>&1").Status == 0;
}

}  // namespace zelmot::test
