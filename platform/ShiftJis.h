#pragma once

#include <optional>
#include <string>

namespace platform {

// The UTF-8 spelling of a Shift-JIS text (Windows code page 932); nothing when the bytes are no
// Shift-JIS. Pure ASCII comes back unchanged.
std::optional<std::string> ShiftJisToUtf8(const std::string& text);

} // namespace platform
