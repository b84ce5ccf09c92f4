#include "HtmlText.h"

#include "platform/Hex.h"
#include "platform/ShiftJis.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace {

// Well-formed UTF-8 only: no overlong forms (C0, C1, E0 80-9F, F0 80-8F), no surrogates (ED A0-BF)
// and nothing past U+10FFFF, which a browser would show as replacement characters.
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

} // namespace

std::string UrlOf(const std::string& fileName)
{
    std::string url;
    for (const unsigned char c : platform::FileNameAsUtf8(fileName)) {
        if ((std::isalnum(c) && c < 0x80) || (c != 0 && std::strchr("-._~/", c)))
            url += static_cast<char>(c);
        else
            url += "%" + platform::Hex(c, 2, platform::HexCase::Upper);
    }
    return url;
}

std::string HtmlText(const std::string& name)
{
    std::string utf8 = IsUtf8(name) ? name : platform::ShiftJisToUtf8(name).value_or("");
    if (!IsUtf8(utf8)) utf8.clear();
    std::string text;
    for (const char c : utf8) {
        switch (c) {
        case '&':
            text += "&amp;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        case '"':
            text += "&quot;";
            break;
        default:
            text += static_cast<unsigned char>(c) < 32 ? ' ' : c;
        }
    }
    return text;
}
