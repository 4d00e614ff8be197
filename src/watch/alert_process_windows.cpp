// The alert command on Windows: CreateProcess with the words quoted as the
// C runtime splits them (no shell), in a job object so that a kill reaches
// whatever it started, standard input from a pipe whose buffer holds the
// whole input (the write never waits for the command), standard output
// onto the watcher's standard error.
#ifdef _WIN32

#include <windows.h>

#include "common/windows_arguments.h"
#include "watch/alert_process.h"

namespace zelmot {
namespace {

using Clock = std::chrono::steady_clock;

std::string LastErrorText() {
    char text[256] = {};
    DWORD code = ::GetLastError();
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                     nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

HANDLE InheritableCopy(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS)) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        return ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    return copy;
}

}  // namespace

AlertProcessResult RunAlertProcess(const std::vector<std::string>& command, std::string_view input,
                                   std::chrono::milliseconds limit, const std::atomic<bool>* cancel) {
    AlertProcessResult result;
    if (command.empty()) {
        result.Error = "no command";
        return result;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    std::string commandLine = WindowsCommandLine(command);

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, static_cast<DWORD>(input.size() + 4096))) {
        result.Error = "no pipe: " + LastErrorText();
        return result;
    }
    ::SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE output = InheritableCopy(::GetStdHandle(STD_ERROR_HANDLE));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                          nullptr, nullptr, &startup, &process) != 0;
    if (!started) result.Error = LastErrorText();
    ::CloseHandle(readEnd);
    if (output != INVALID_HANDLE_VALUE) ::CloseHandle(output);
    if (!started) {
        ::CloseHandle(writeEnd);
        return result;
    }
    result.Started = true;
    // A job that ends with its handle: what the command started dies with it.
    HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
    if (job != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        if (!::AssignProcessToJobObject(job, process.hProcess)) {
            ::CloseHandle(job);
            job = nullptr;
        }
    }
    ::ResumeThread(process.hThread);
    DWORD wrote = 0;
    if (!input.empty()) ::WriteFile(writeEnd, input.data(), static_cast<DWORD>(input.size()), &wrote, nullptr);
    ::CloseHandle(writeEnd);

    for (;;) {
        if (::WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
        if (Clock::now() >= deadline || (cancel != nullptr && cancel->load())) {
            if (job == nullptr || !::TerminateJobObject(job, 1)) ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            result.Killed = true;
            break;
        }
    }
    DWORD code = 0;
    if (!result.Killed && ::GetExitCodeProcess(process.hProcess, &code)) result.ExitCode = static_cast<int>(code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (job != nullptr) ::CloseHandle(job);
    return result;
}

}  // namespace zelmot

#endif
