#include "ShiftJis.h"

#include <algorithm>
#include <windows.h>

namespace platform {

std::optional<std::string> ShiftJisToUtf8(const std::string& text)
{
    if (text.empty()) return text;
    const int size = static_cast<int>(text.size());
    const int wide =
        ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), size, utf16.data(), wide);
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string FileNameFromShiftJis(const std::string& name)
{
    return name;
}

bool IsFileNameLeadByte(char byte)
{
    return ::IsDBCSLeadByte(static_cast<BYTE>(byte));
}

std::string FileNameAsUtf8(const std::string& fileName)
{
    std::string name = ShiftJisToUtf8(fileName).value_or(fileName);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

} // namespace platform
