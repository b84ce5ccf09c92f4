#include "TextPaths.h"

std::string StripExtension(const std::string& text)
{
    const auto dot = text.rfind('.');
    return dot == std::string::npos ? text : text.substr(0, dot);
}

std::string BaseName(const std::string& path)
{
    std::size_t start = path.size();
    while (start > 0 && !IsDirectorySeparator(path[start - 1]))
        --start;
    const std::string component = path.substr(start);
    return component.substr(0, component.find('.'));
}
