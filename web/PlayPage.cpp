#include "PlayPage.h"

#include "Base64.h"
#include "Deflated.h"
#include "HtmlText.h"
#include "PlayPageAssets.h"

#include "DollPage.h"
#include "FkissJson.h"
#include "JsonString.h"
#include "PageModel.h"
#include "platform/Hex.h"

#include <algorithm>
#include <array>
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

// The title as HTML text: a configuration's name is Shift-JIS when it came from an archive.
std::string TitleText(const std::string& title)
{
    const std::string text = HtmlText(title);
    return text.empty() ? "KiSS" : text;
}

// What the page starts from, as its player reads it: the cel lines, the program, the variables
// (name, value), the timers running (alarm, delay, variance) and the words the player plays.
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
           "],\n\"program\":" + ProgramJson(doll.program) + ",\n\"words\":" + PageWordsJson();
}

// Where an image's opaque pixels are (an animation's: its first frame's): left, top, right and
// bottom past them; all 0 for none.
std::array<std::int32_t, 4> OpaqueBox(const DollPage::Image& image)
{
    const bool rgba = image.kind == DollPage::Image::Kind::Rgba;
    std::array<std::int32_t, 4> box{image.width, image.height, 0, 0};
    for (std::int32_t y = 0; y < image.height; ++y)
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * image.width + x;
            if (image.pixels[rgba ? 4 * at + 3 : at] == 0) continue;
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1), y + 1};
        }
    return box[2] > box[0] ? box : std::array<std::int32_t, 4>{};
}

// The pixels of every image, after every palette's colours, packed into one zlib stream (one
// stream packs better than many) as base 64; a 4-bit cel's two a byte.
std::string PackedPixels(const DollPage& doll)
{
    std::string bytes;
    for (const std::string& colours : doll.palettes)
        bytes += colours;
    for (const DollPage::Image& image : doll.images) {
        if (image.kind != DollPage::Image::Kind::Nibbles) {
            bytes += image.pixels;
            continue;
        }
        // 1 to 15: two a byte, high nibble first, halves what the page unpacks.
        const std::string& p = image.pixels;
        for (std::size_t i = 0; i < p.size(); i += 2)
            bytes += static_cast<char>((p[i] & 15) << 4 | (i + 1 < p.size() ? p[i + 1] & 15 : 0));
    }
    return Base64(Deflated(bytes));
}

// The doll's data for the script. Texts are written as JsonString writes them, the
// pixels and sounds in base 64, the rest is numbers, so nothing in it can end the script element.
std::string DollData(const DollPage& doll)
{
    std::string images = "[";
    for (const DollPage::Image& image : doll.images) {
        const auto box = OpaqueBox(image);
        std::string item =
            JsonArray(std::array{image.width, image.height, static_cast<int>(image.kind),
                                 image.palette, box[0], box[1], box[2], box[3], image.x, image.y});
        if (!image.delays.empty()) // an animation: how often it plays, each frame's delay
            item.insert(item.size() - 1,
                        "," + std::to_string(image.plays) + "," + JsonArray(image.delays));
        Add(images, item, ",");
    }
    std::string sets = "[";
    for (const DollPage::Set& set : doll.sets) {
        std::string cels = "[";
        for (const DollPage::Cel& cel : set.cels)
            Add(cels, JsonArray(std::array{cel.image, cel.object, cel.line}), ",");
        Add(sets, "{\"number\":" + std::to_string(set.number) + ",\"defined\":" +
                      (set.defined ? "true" : "false") + ",\"x\":" + JsonArray(set.x) +
                      ",\"y\":" + JsonArray(set.y) + ",\"homeX\":" + JsonArray(set.homeX) +
                      ",\"homeY\":" + JsonArray(set.homeY) + ",\"cels\":" + cels + "]}");
    }
    std::string colours = "[";
    for (const auto& [background, border] : doll.groupColours)
        Add(colours, "[\"" + CssColour(background) + "\",\"" + CssColour(border) + "\"]", ",");
    std::string readmes = "[", sounds = "[";
    for (const auto& [name, text] : doll.readmes)
        Add(readmes, "[" + JsonString(name, JsonChars::Utf8) + "," +
                         JsonString(text, JsonChars::Utf8) + "]");
    for (const DollSound& sound : doll.sounds)
        Add(sounds,
            "[" + JsonString(sound.name) + ",\"data:audio/wav;base64," + Base64(sound.wav) + "\"]");
    return "{\"width\":" + std::to_string(doll.width) +
           ",\"height\":" + std::to_string(doll.height) +
           ",\"start\":" + std::to_string(doll.startSet) + "," + StartData(doll) +
           ",\n\"images\":" + images + "],\n\"palettes\":" + std::to_string(doll.palettes.size()) +
           ",\n\"sets\":" + sets + "],\n\"colours\":" + colours + "],\n\"readmes\":" + readmes +
           "],\n\"sounds\":" + sounds + "],\n\"pixels\":\"" + PackedPixels(doll) + "\"}";
}

} // namespace

std::string PlayPage(const DollPage& doll)
{
    const std::string title = TitleText(doll.title);
    // Everything the page shows is in it: it may fetch nothing at all, not even from its folder.
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "script-src 'unsafe-inline'; style-src 'unsafe-inline'; media-src data:\">\n"
           "<meta name=\"viewport\" content=\"width=device-width\">\n<title>" +
           title + "</title>\n<style>\n" + kPlayPageCss +
           "</style>\n</head>\n<body>\n<main id=\"frame\">\n<h1 id=\"name\">" + title +
           "</h1>\n<div id=\"view\"><div id=\"stage\"></div></div>\n"
           "<div id=\"controls\"><nav id=\"sets\" aria-label=\"Sets\"></nav>"
           "<button type=\"button\" id=\"reset\">Reset</button>"
           "<button type=\"button\" id=\"save\" title=\"Save picture (S)\" "
           "aria-keyshortcuts=\"S\">Save picture</button>"
           "<button type=\"button\" id=\"mute\" aria-pressed=\"false\" hidden>Mute</button>"
           "<a id=\"pose\" href=\"#\">Link to this pose</a></div>\n"
           "<p id=\"notice\" hidden></p>\n"
           "<details id=\"about\" hidden><summary>About this doll</summary></details>\n"
           "</main>\n<script>\nconst doll = " +
           DollData(doll) + ";\n" + kFkissScript + kPoseScript + kPlayPageScript +
           "</script>\n</body>\n</html>\n";
}

std::string PlayPageOf(const RunDoll& doll)
{
    return PlayPage(PageOf(doll));
}
