#include "TextUtf8.h"

#include "ShiftJis.h"

#include <algorithm>

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        const std::size_t length = c < 0x80   ? 1
                                   : c < 0xC2 ? 0
                                   : c < 0xE0 ? 2
                                   : c < 0xF0 ? 3
                                   : c < 0xF5 ? 4
                                              : 0;
        if (length == 0 || i + length > text.size()) return false;
        const unsigned char second = text[i + (length > 1)];
        const unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        if (length > 1 && (second < low || second > high)) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string TextAsUtf8(const std::string& text)
{
    if (IsUtf8(text)) return text;
    if (auto whole = platform::ShiftJisToUtf8(text); whole && IsUtf8(*whole)) return *whole;
    std::string utf8;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        const std::string line = text.substr(at, end - at);
        const auto decoded = platform::ShiftJisToUtf8(line);
        if (IsUtf8(line) || (decoded && IsUtf8(*decoded))) {
            utf8 += IsUtf8(line) ? line : *decoded;
        } else {
            for (const char c : line)
                utf8 += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        }
        at = end;
    }
    return utf8;
}
