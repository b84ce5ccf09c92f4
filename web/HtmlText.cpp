#include "HtmlText.h"

#include "platform/Hex.h"
#include "platform/ShiftJis.h"
#include "platform/TextUtf8.h"

#include <cctype>
#include <cstring>

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
