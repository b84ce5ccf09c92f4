#include "PlayPage.h"

#include "HtmlText.h"
#include "PlayPageAssets.h"

#include "conversion/DollPage.h"
#include "conversion/FkissJson.h"
#include "platform/Hex.h"

#include <array>
#include <map>
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

// A UTF-8 text as a JSON string the script reads as text: every character past ASCII, and every
// '<', '>' and '&', as \uXXXX (two for one past U+FFFF), so that it cannot end the script element.
std::string JsonText(const std::string& utf8)
{
    std::string json = "\"";
    const auto escape = [&](std::uint32_t unit) { json += "\\u" + platform::Hex(unit, 4); };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? c : c & (0x7Fu >> length);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (code == '"' || code == '\\')
            json += {'\\', static_cast<char>(code)};
        else if (code >= 0x10000) {
            escape(0xD800 + ((code - 0x10000) >> 10));
            escape(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else if (code < 0x20 || code >= 0x7F || code == '<' || code == '>' || code == '&')
            escape(code);
        else
            json += static_cast<char>(code);
    }
    return json + "\"";
}

// The title as HTML text: a configuration's name is Shift-JIS when it came from an archive.
std::string TitleText(const std::string& title)
{
    const std::string text = HtmlText(title);
    return text.empty() ? "KiSS" : text;
}

// What the page starts from, as its player reads it: the cel lines, the program, the variables
// (name, value) and the timers running (alarm, delay, variance).
std::string StartData(const DollPage& doll)
{
    const DollState& start = doll.start;
    std::string mapped = "[", transparency = "[", cels = "[", variables = "[", timers = "[";
    for (const DollState::Cel& cel : start.cels) {
        Add(mapped, cel.mapped ? "1" : "0", ",");
        Add(transparency, std::to_string(cel.transparency), ",");
        Add(cels, "[" + JsonString(cel.name) + "," + std::to_string(cel.object) + "]", ",");
    }
    for (const auto& [name, value] : start.variables)
        Add(variables, "[" + JsonString(name) + "," + std::to_string(value) + "]", ",");
    for (const auto& [alarm, timer] : start.timers)
        Add(timers, JsonArray(std::array{alarm, timer.first, timer.second}), ",");
    return "\"fix\":" + JsonArray(start.fix) + ",\"groups\":" + JsonArray(start.paletteGroup) +
           ",\n\"mapped\":" + mapped + "],\n\"transparency\":" + transparency +
           "],\n\"cels\":" + cels + "],\n\"variables\":" + variables + "],\"timers\":" + timers +
           "],\n\"program\":" + ProgramJson(doll.program);
}

// The doll's data for the script. Picture names are escaped down to "-._~/%", letters and digits;
// other texts as JsonString writes them; the rest is numbers, so nothing in it can end the script
// element.
std::string DollData(const DollPage& doll)
{
    std::map<std::vector<std::int32_t>, int> maskOf; // a cel in several groups shares its mask
    std::string masks = "[", pictures = "[";
    for (const DollPage::Picture& picture : doll.pictures) {
        const auto [mask, added] =
            maskOf.try_emplace(picture.opaqueRuns, static_cast<int>(maskOf.size()));
        if (added) Add(masks, JsonArray(picture.opaqueRuns));
        Add(pictures, "[\"" + UrlOf(picture.fileName) + "\"," + std::to_string(mask->second) + "]");
    }
    std::string sets = "[";
    for (const DollPage::Set& set : doll.sets) {
        std::string cels = "[";
        for (const DollPage::Cel& cel : set.cels)
            Add(cels, JsonArray(std::array{cel.picture, cel.object, cel.line}), ",");
        Add(sets, "{\"number\":" + std::to_string(set.number) +
                      ",\"defined\":" + (set.defined ? "true" : "false") + ",\"background\":\"" +
                      CssColour(set.background) + "\",\"border\":\"" + CssColour(set.border) +
                      "\",\"x\":" + JsonArray(set.x) + ",\"y\":" + JsonArray(set.y) +
                      ",\"homeX\":" + JsonArray(set.homeX) + ",\"homeY\":" + JsonArray(set.homeY) +
                      ",\"cels\":" + cels + "]}");
    }
    std::string readmes = "[";
    for (const auto& [name, text] : doll.readmes)
        Add(readmes, "[" + JsonText(name) + "," + JsonText(text) + "]");
    return "{\"width\":" + std::to_string(doll.width) +
           ",\"height\":" + std::to_string(doll.height) +
           ",\"start\":" + std::to_string(doll.startSet) + "," + StartData(doll) +
           ",\n\"masks\":" + masks + "],\n\"pictures\":" + pictures + "],\n\"sets\":" + sets +
           "],\n\"readmes\":" + readmes + "]}";
}

} // namespace

std::string PlayPage(const DollPage& doll)
{
    const std::string title = TitleText(doll.title);
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width\">\n<title>" +
           title + "</title>\n<style>\n" + kPlayPageCss +
           "</style>\n</head>\n<body>\n<main id=\"frame\">\n<h1 id=\"name\">" + title +
           "</h1>\n<div id=\"view\"><div id=\"stage\"></div></div>\n"
           "<div id=\"controls\"><nav id=\"sets\" aria-label=\"Sets\"></nav>"
           "<button type=\"button\" id=\"reset\">Reset</button>"
           "<a id=\"pose\" href=\"#\">Link to this pose</a></div>\n"
           "<p id=\"notice\" hidden></p>\n"
           "<details id=\"about\" hidden><summary>About this doll</summary></details>\n"
           "</main>\n<script>\nconst doll = " +
           DollData(doll) + ";\n" + kFkissScript + kPoseScript + kPlayPageScript +
           "</script>\n</body>\n</html>\n";
}
