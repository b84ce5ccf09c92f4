#include "PlayPage.h"

#include "PlayPageAssets.h"

#include "conversion/DollPage.h"
#include "platform/Hex.h"
#include "platform/ShiftJis.h"

#include <array>
#include <cctype>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

namespace {

// Adds an item to a JSON list begun with "[".
void Add(std::string& list, const std::string& item, const char* separator = ",\n")
{
    list += (list.size() > 1 ? separator : "") + item;
}

template <typename Numbers> std::string JsonArray(const Numbers& numbers)
{
    std::string text = "[";
    for (const auto n : numbers)
        Add(text, std::to_string(n), ",");
    return text + "]";
}

std::string CssColour(const TBmp256Image::Colour& c)
{
    return "#" + platform::Hex((c.red << 16) | (c.green << 8) | c.blue, 6);
}

// A picture's file name as a link from the page beside it: '/' between folders, UTF-8, and every
// byte but letters, digits and "-._~/" escaped, so no name can end the page's text.
std::string Url(const std::string& fileName)
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

// The title as HTML text: a configuration's name is Shift-JIS when it came from an archive.
std::string TitleText(const std::string& title)
{
    std::string utf8 = IsUtf8(title) ? title : platform::ShiftJisToUtf8(title).value_or("");
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
    return text.empty() ? "KiSS" : text;
}

// The doll's data for the script. Names are escaped down to "-._~/%", letters and digits; the
// rest is numbers, so nothing in it can end the script element.
std::string DollData(const DollPage& doll)
{
    std::map<std::vector<std::int32_t>, int> maskOf; // a cel in several groups shares its mask
    std::string masks = "[", pictures = "[";
    for (const DollPage::Picture& picture : doll.pictures) {
        const auto [mask, added] =
            maskOf.try_emplace(picture.opaqueRuns, static_cast<int>(maskOf.size()));
        if (added) Add(masks, JsonArray(picture.opaqueRuns));
        Add(pictures, "[\"" + Url(picture.fileName) + "\"," + std::to_string(mask->second) + "]");
    }
    std::string sets = "[";
    for (const DollPage::Set& set : doll.sets) {
        std::string cels = "[";
        for (const DollPage::Cel& cel : set.cels)
            Add(cels, JsonArray(std::array{cel.picture, cel.object}), ",");
        Add(sets, "{\"number\":" + std::to_string(set.number) + ",\"background\":\"" +
                      CssColour(set.background) + "\",\"border\":\"" + CssColour(set.border) +
                      "\",\"x\":" + JsonArray(set.x) + ",\"y\":" + JsonArray(set.y) +
                      ",\"cels\":" + cels + "]}");
    }
    return "{\"width\":" + std::to_string(doll.width) +
           ",\"height\":" + std::to_string(doll.height) +
           ",\"start\":" + std::to_string(doll.startSet) + ",\"fix\":" + JsonArray(doll.fix) +
           ",\n\"masks\":" + masks + "],\n\"pictures\":" + pictures + "],\n\"sets\":" + sets + "]}";
}

} // namespace

std::string PlayPage(const DollPage& doll)
{
    const std::string side =
        std::to_string(doll.width) + "px;height:" + std::to_string(doll.height);
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width\">\n<title>" +
           TitleText(doll.title) + "</title>\n<style>\n" + kPlayPageCss +
           "</style>\n</head>\n<body>\n" +
           "<div id=\"frame\">\n<div id=\"stage\" style=\"width:" + side +
           "px\"></div>\n"
           "<nav id=\"sets\"></nav>\n</div>\n<script>\nconst doll = " +
           DollData(doll) + ";\n" + kPlayPageScript + "</script>\n</body>\n</html>\n";
}
