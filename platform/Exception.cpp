#include "Exception.h"

std::string FormatMessage(const std::string& pattern, const std::string& value)
{
    for (const char* mark : {"%s", "%d"}) {
        const auto at = pattern.find(mark);
        if (at != std::string::npos) return pattern.substr(0, at) + value + pattern.substr(at + 2);
    }
    return pattern;
}

std::string Exception::English() const
{
    if (doing_.empty()) return cause_.empty() ? "the run failed" : cause_;
    return cause_.empty() ? doing_ : doing_ + ": " + cause_;
}
