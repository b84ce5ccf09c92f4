#include "TextTokens.h"

void SplitAt(std::string& rest, char separator, std::string& head)
{
    const auto at = rest.find(separator);
    if (at == std::string::npos) {
        head = rest;
        rest.clear();
        return;
    }
    head = rest.substr(0, at);
    rest.erase(0, at + 1);
}

void NextToken(std::string& line, std::string& token)
{
    if (line.empty()) return;
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) ++start;
    std::size_t end = start;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    token = line.substr(start, end - start);
    line.erase(0, end < line.size() ? end + 1 : end);
}
