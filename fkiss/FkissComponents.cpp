#include "FkissComponents.h"

#include <algorithm>
#include <string>

bool IsComponentName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return false;
    std::string word(name.substr(dot + 1));
    for (char& c : word) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
        if (c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const auto in = [&](const auto& words) {
        return std::find(std::begin(words), std::end(words), word) != std::end(words);
    };
    return in(kFkissComponentWords) || !in(kCelFileExtensions);
}
