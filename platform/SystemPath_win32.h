#pragma once

#include <string>
#include <windows.h>

// Paths for the system's wide functions, which alone take paths past MAX_PATH. Internal to the
// Windows side of platform/.
namespace platform {

// The bytes read in the ANSI code page, as the ...A functions read them.
std::wstring AnsiToWide(const std::string& text);
// The path's bytes read in the ANSI code page (AnsiToWide). A path of
// MAX_PATH - 12 characters or more (the limit of a new folder's path) is made absolute and given
// the \\?\ prefix, which lifts the limit but makes the system take the path as written: "/"
// becomes "\" and "." and ".." parts are resolved before, as they would have been without it.
std::wstring SystemPath(const std::string& path);
// A name or path from the system in the ANSI code page.
std::string NarrowPath(const std::wstring& path);
// The absolute path of an open handle, links resolved, without the \\?\ prefix; "" on failure.
std::string FinalPath(HANDLE handle);

} // namespace platform
