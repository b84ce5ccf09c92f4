#pragma once

#include "Exception.h"

#include <string>

// A failed operation on a file. It carries the operating system's error number; the message is
// chosen by what that number means and does not name the file.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode, std::string cause)
        : Exception(std::move(message), std::move(cause)), errorCode_(errorCode)
    {
    }
    // path: the file the failed operation concerned (tells a missing file from a missing folder).
    static EInOutError FromSystemError(int errorCode, const std::string& path);
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};
