#include "Names.h"

#include "File.h"
#include "ShiftJis.h"

bool IsDirectorySeparator(char c)
{
    return c == '\\' || c == '/';
}

bool EndsWithCaseBlind(const std::string& text, const std::string& lowerSuffix)
{
    return text.size() >= lowerSuffix.size() &&
           AsciiLowerCase(text.substr(text.size() - lowerSuffix.size())) == lowerSuffix;
}

std::string DirectoryOf(const std::string& path)
{
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '/' || path[i] == platform::kSeparator)
            end = i + 1;
        else if (platform::IsFileNameLeadByte(path[i]) && i + 1 < path.size() &&
                 path[i + 1] != '/')
            ++i; // its second byte separates nothing; "/" is never a second byte
    }
    return path.substr(0, end);
}

std::string AsciiLowerCase(const std::string& text)
{
    std::string lowered = text;
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return lowered;
}

bool IsShiftJisLead(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

namespace {

// The components between separators, a byte after one that isLead takes for the first of a
// double-byte character kept with it.
template <class IsLead>
std::vector<std::string> Components(const std::string& text, IsLead&& isLead)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsDirectorySeparator(text[i])) {
            parts.emplace_back();
        } else {
            parts.back().push_back(text[i]);
            if (isLead(text[i]) && i + 1 < text.size()) parts.back().push_back(text[++i]);
        }
    }
    return parts;
}

} // namespace

std::vector<std::string> NameComponents(const std::string& name)
{
    return Components(name, IsShiftJisLead);
}

std::vector<std::string> FileNameComponents(const std::string& fileName)
{
    return Components(fileName, platform::IsFileNameLeadByte);
}

std::string NameLowerCase(const std::string& name)
{
    std::string lowered = name;
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        if (IsShiftJisLead(lowered[i]))
            ++i; // the trail byte stays
        else if (lowered[i] >= 'A' && lowered[i] <= 'Z')
            lowered[i] = static_cast<char>(lowered[i] + 32);
    }
    return lowered;
}
