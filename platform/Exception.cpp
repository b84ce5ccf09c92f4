#include "Exception.h"

std::string FormatMessage(const std::string& pattern, const std::string& value)
{
    for (const char* mark : {"%s", "%d"}) {
        const auto at = pattern.find(mark);
        if (at != std::string::npos) return pattern.substr(0, at) + value + pattern.substr(at + 2);
    }
    return pattern;
}
