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

// One start of the program, with its output collected.
ProcessRun RunOnce(const std::string& program, std::string commandLine, const ProcessOptions& options) {
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
    bool ready = input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE && errors != INVALID_HANDLE_VALUE;
    // A start that fails for another reason than a missing program or
    // folder is tried again, a few times: under wine, a busy machine has
    // been seen to fail a start now and then.
    DWORD startError = ready ? 0 : ::GetLastError();  // of the collecting files when they could not be opened
    for (int attempt = 0; ready && !run.Started && attempt < 3; ++attempt) {
        if (attempt > 0) ::Sleep(200);
        run.Started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                       options.WorkDir.empty() ? nullptr : options.WorkDir.c_str(), &startup,
                                       &process) != 0;
        startError = run.Started ? 0 : ::GetLastError();
        if (startError == ERROR_FILE_NOT_FOUND || startError == ERROR_PATH_NOT_FOUND ||
            startError == ERROR_DIRECTORY || startError == ERROR_BAD_EXE_FORMAT)
            break;
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
    return run;
}

}  // namespace

ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& args,
                      const ProcessOptions& options) {
    std::vector<std::string> words{NativePath(program)};
    words.insert(words.end(), args.begin(), args.end());
    const std::string commandLine = WindowsCommandLine(words);
    // Under wine a started program now and then ends at once with a failure
    // status, not one byte written, before it has run (about once in a
    // thousand starts). No program the tests start ends so: each says why it
    // failed. Such a run is tried again, twice at most, and said on
    // standard error.
    ProcessRun run = RunOnce(program, commandLine, options);
    for (int again = 0; again < 2 && run.Started && run.ExitCode != 0 && run.Output.empty() && run.Errors.empty();
         ++again) {
        std::fprintf(stderr, "process runner: %s ended with status %d before writing anything; starting it again\n",
                     program.c_str(), run.ExitCode);
        ::Sleep(200);
        run = RunOnce(program, commandLine, options);
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
