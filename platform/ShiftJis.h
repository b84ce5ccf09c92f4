#pragma once

#include <optional>
#include <string>

namespace platform {

// The UTF-8 spelling of a Shift-JIS text (Windows code page 932); nothing when the bytes are no
// Shift-JIS. Pure ASCII comes back unchanged.
std::optional<std::string> ShiftJisToUtf8(const std::string& text);

// A relative name from a doll's files (Shift-JIS, this system's separators) as the name of a file
// written here: UTF-8 on POSIX, where file names are UTF-8 (unchanged when it is no Shift-JIS);
// unchanged on Windows, whose file calls read it in code page 932.
std::string FileNameFromShiftJis(const std::string& name);
// Whether a byte of a name made by FileNameFromShiftJis begins a double-byte character as the
// system reads file names: in the ANSI code page on Windows (0x95 of "表" in code page 932), whose
// second byte may be 0x5C and separates no folders; never on POSIX, where the names are UTF-8.
bool IsFileNameLeadByte(char byte);
// A relative file name made by FileNameFromShiftJis as UTF-8 with '/' between folders, as a web
// page links to it.
std::string FileNameAsUtf8(const std::string& fileName);

} // namespace platform
