#pragma once

#include "platform/InOutError.h" // EInOutError: a text file's failed operation

#include <string>

// A text that the strict integer conversion refuses.
class EConvertError : public Exception {
public:
    explicit EConvertError(const std::string& text)
        : Exception(FormatMessage("'%s' は整数ではありません", text),
                    "'" + text + "' is not a whole number")
    {
    }
};
