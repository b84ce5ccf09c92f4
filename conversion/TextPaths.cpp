#include "TextPaths.h"

std::string StripExtension(const std::string& text)
{
    const auto dot = text.rfind('.');
    return dot == std::string::npos ? text : text.substr(0, dot);
}

std::string BaseName(const std::string& path)
{
    const std::string component = path.substr(DirectoryOf(path).size());
    return component.substr(0, component.find('.'));
}
