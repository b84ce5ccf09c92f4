#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The last `digits` hexadecimal digits of value, most significant first: for temporary names,
// escapes and colours, in the case each of them is written in.
enum class HexCase { Lower, Upper };
inline std::string Hex(std::uint64_t value, int digits, HexCase letters = HexCase::Lower)
{
    const char* const table = letters == HexCase::Lower ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = table[value & 15];
    return text;
}

} // namespace platform
