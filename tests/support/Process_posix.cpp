#include "Test.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& scratch, const std::string& workingDirectory)
{
    const std::string out = scratch + "/.stdout", err = scratch + "/.stderr";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto open = [](const std::string& f) { return ::open(f.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644); };
        if (::dup2(open(out), 1) >= 0 && ::dup2(open(err), 2) >= 0 && // a file not opened is -1, which dup2 refuses
            (workingDirectory.empty() || ::chdir(workingDirectory.c_str()) == 0))
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0) throw std::runtime_error("cannot start " + program);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ProcessResult r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
    for (const std::string& file : {out, err})
        ::unlink(file.c_str());
    return r;
}

std::chrono::microseconds ProcessorTime()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    const auto us = [](const timeval& t) { return std::chrono::microseconds(t.tv_sec * 1000000 + t.tv_usec); };
    return us(u.ru_utime) + us(u.ru_stime);
}
