// File names where the system takes them as UTF-8 (POSIX, and the browser's in-memory files).
#include "ShiftJis.h"

namespace platform {

std::string FileNameFromShiftJis(const std::string& name)
{
    return ShiftJisToUtf8(name).value_or(name);
}

bool IsFileNameLeadByte(char)
{
    return false;
}

std::string FileNameAsUtf8(const std::string& fileName)
{
    return fileName;
}

} // namespace platform
