#include "Test.h"

#include <windows.h>

// One argument as the C runtime splits a command line: quoted, a quote escaped, backslashes before a quote doubled.
static std::string Quoted(const std::string& argument)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c != '\\') quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\') += c;
        backslashes = c == '\\' ? backslashes + 1 : 0;
    }
    return quoted.append(2 * backslashes, '\\') + "\"";
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& scratch, const std::string& workingDirectory)
{
    const std::string out = scratch + "/.stdout", err = scratch + "/.stderr";
    std::string command = Quoted(program);
    for (const std::string& a : arguments)
        command += " " + Quoted(a);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto create = [&](const std::string& path) {
        return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput =
        ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = create(out);
    startup.hStdError = create(err);
    PROCESS_INFORMATION process{};
    const bool started =
        ::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process);
    for (const HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError, process.hThread})
        ::CloseHandle(h);
    if (!started) throw std::runtime_error("cannot start " + program);
    DWORD status = 0;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    ProcessResult r{static_cast<int>(status), ReadText(out), ReadText(err)};
    for (const std::string& file : {out, err})
        ::DeleteFileA(file.c_str());
    return r;
}

std::chrono::microseconds ProcessorTime()
{
    FILETIME created, ended, kernel, user; // in 100 ns
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto us = [](const FILETIME& t) {
        return std::chrono::microseconds(((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 10);
    };
    return us(kernel) + us(user);
}
