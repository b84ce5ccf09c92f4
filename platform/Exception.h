#pragma once

#include <exception>
#include <string>
#include <utility>

// Base of every error the system raises. It carries the finished message text (UTF-8), which is
// what reaches the user; no error codes travel past the operation that met the failure. Beside
// it travels the same failure in English: its cause, and what the run was doing to which file.
class Exception : public std::exception {
public:
    explicit Exception(std::string message, std::string cause = "")
        : message_(std::move(message)), cause_(std::move(cause))
    {
    }
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    // "cannot open the cel 'BODY.CEL': no such file"; the cause alone where nothing was noted.
    std::string English() const;
    // Notes what was being done ("cannot open 'doll.cnf'") unless a deeper step already did.
    void NoteDoing(const std::string& doing)
    {
        if (doing_.empty()) doing_ = doing;
    }

private:
    std::string message_, cause_, doing_;
};

// A memory request that failed anywhere outside a stream's growth.
class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("ﾒﾓﾘが足りません", "out of memory") {}
};

// Replaces the single "%s" or "%d" of a message template by the given text.
std::string FormatMessage(const std::string& pattern, const std::string& value);

// Runs step; an Exception it raises has doing noted on it and goes on as the same object.
template <class Step> decltype(auto) Doing(const std::string& doing, Step&& step)
{
    try {
        return step();
    } catch (Exception& e) {
        e.NoteDoing(doing);
        throw;
    }
}
