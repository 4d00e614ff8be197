// Test support: the process runner on Windows (CreateProcess with the
// arguments quoted as the C runtime splits them, no input from the NUL
// device, the output collected in temporary files).
#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "common/windows_arguments.h"
#include "support/process_runner.h"

namespace zelmot::test {
namespace {

namespace fs = std::filesystem;

fs::path CollectFile(const char* what) {
    static std::atomic<unsigned> counter{0};
    return fs::temp_directory_path() / ("zelmot-run-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                        std::to_string(counter++) + "." + what);
}

HANDLE OpenInherited(const fs::path& path, DWORD access, DWORD creation) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Forward slashes in the program's path as backslashes.
std::string NativePath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// One start of the program, with its output collected. byChance: whether
// it failed as wine now and then fails a start, so that starting it again
// is worth it: CreateProcess failed for another reason than a missing
// program or folder or a bad executable, or the program ended with a
// failure status and not one byte written (no program the tests start ends
// so by itself: each says why it failed).
ProcessRun RunOnce(const std::string& program, std::string commandLine, const ProcessOptions& options,
                   bool& byChance) {
    ProcessRun run;
    const fs::path outPath = CollectFile("out");
    const fs::path errPath = CollectFile("err");
    HANDLE input = OpenInherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE output = OpenInherited(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE errors = options.MergeErrors ? output : OpenInherited(errPath, GENERIC_WRITE, CREATE_ALWAYS);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    const bool ready =
        input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE && errors != INVALID_HANDLE_VALUE;
    DWORD startError = ready ? 0 : ::GetLastError();  // of the collecting files when they could not be opened
    if (ready) {
        run.Started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                       options.WorkDir.empty() ? nullptr : options.WorkDir.c_str(), &startup,
                                       &process) != 0;
        startError = run.Started ? 0 : ::GetLastError();
    }
    if (run.Started) {
        DWORD code = 0;
        if (::WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0) {
            run.Trouble = "could not wait for " + program + ": error " + std::to_string(::GetLastError());
        } else if (::GetExitCodeProcess(process.hProcess, &code) == 0) {
            run.Trouble = "no exit code from " + program + ": error " + std::to_string(::GetLastError());
        } else {
            run.ExitCode = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        run.Trouble = "could not start " + program + ": error " + std::to_string(startError);
    }
    for (HANDLE handle : {input, output, options.MergeErrors ? INVALID_HANDLE_VALUE : errors})
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    run.Output = TakeCollectedFile(outPath);
    if (!options.MergeErrors) run.Errors = TakeCollectedFile(errPath);
    if (run.Started) {
        byChance = run.ExitCode != 0 && run.Output.empty() && run.Errors.empty();
    } else {
        byChance = ready && startError != ERROR_FILE_NOT_FOUND && startError != ERROR_PATH_NOT_FOUND &&
                   startError != ERROR_DIRECTORY && startError != ERROR_BAD_EXE_FORMAT;
    }
    return run;
}

}  // namespace

ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& args,
                      const ProcessOptions& options) {
    std::vector<std::string> words{NativePath(program)};
    words.insert(words.end(), args.begin(), args.end());
    const std::string commandLine = WindowsCommandLine(words);
    // Under wine a start fails by chance now and then (about once in a
    // thousand): such a start is tried again, twice at most, 200 ms apart,
    // and each retry is said on standard error.
    bool byChance = false;
    ProcessRun run = RunOnce(program, commandLine, options, byChance);
    for (int again = 0; again < 2 && byChance; ++again) {
        const std::string why = run.Started
                                    ? "ended with status " + std::to_string(run.ExitCode) + " before writing anything"
                                    : run.Trouble;
        std::fprintf(stderr, "process runner: %s: %s; starting it again\n", program.c_str(), why.c_str());
        ::Sleep(200);
        run = RunOnce(program, commandLine, options, byChance);
    }
    return run;
}

bool ProgramAvailable(const std::string& program) {
    if (program.empty()) return false;
    std::string found(MAX_PATH, '\0');
    return ::SearchPathA(nullptr, NativePath(program).c_str(), ".exe", MAX_PATH, found.data(), nullptr) > 0;
}

}  // namespace zelmot::test

#endif
