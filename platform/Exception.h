#pragma once

#include <exception>
#include <string>
#include <utility>

// Base of every error the system raises. It carries the finished message text (UTF-8), which is
// what reaches the user; no error codes travel past the operation that met the failure.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

// A memory request that failed anywhere outside a stream's growth.
class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("ﾒﾓﾘが足りません") {}
};

// Replaces the single "%s" or "%d" of a message template by the given text.
std::string FormatMessage(const std::string& pattern, const std::string& value);
