#include "PageModel.h"

#include "conversion/RunDoll.h"
#include "doll/DollFiles.h"
#include "doll/DollReadmes.h"
#include "doll/DollSounds.h"

#include "conversion/TextPaths.h"

#include "imaging/RgbaFrames.h"
#include "imaging/RgbaImage.h"
#include "imaging/StreamErrors.h"

namespace {

// The page holds every cel's pixels at once: a small doll naming thousands of huge cels must
// not take all the memory there is.
constexpr std::size_t kMaxPixelBytes = std::size_t{512} << 20;

[[noreturn]] void TooMany()
{
    throw EStreamMemoryError("the page would hold more than 512 MB of pixels");
}

// The pixels of an image, rows top down without their padding.
std::string PixelsOf(const TBmp256Image& image)
{
    std::string pixels;
    pixels.reserve(static_cast<std::size_t>(image.Width()) * image.Height());
    for (std::int32_t y = 0; y < image.Height(); ++y)
        pixels.append(reinterpret_cast<const char*>(image.Row(y)), image.Width());
    return pixels;
}

std::string ColoursOf(const TBmp256Image& image)
{
    std::string colours;
    for (int index = 0; index < 256; ++index) {
        const TBmp256Image::Colour c = image.ColourAt(index);
        colours +=
            {static_cast<char>(c.red), static_cast<char>(c.green), static_cast<char>(c.blue)};
    }
    return colours;
}

} // namespace

PageModel::PageModel(const KissConfiguration& configuration, Decode decode)
    : configuration_(configuration), decode_(std::move(decode))
{
}

int PageModel::Image(const TKissCel& cel)
{
    const auto [found, added] = imageOf_.try_emplace(
        {NameLowerCase(cel.fileName), cel.paletteIndex}, static_cast<int>(page_.images.size()));
    if (!added) return found->second;
    const Decoded decoded = decode_(cel);
    DollPage::Image image;
    image.x = decoded.x;
    image.y = decoded.y;
    if (decoded.truecolour) {
        image.width = decoded.truecolour->Width();
        image.height = decoded.truecolour->Height();
        image.kind = DollPage::Image::Kind::Rgba;
        // An animation's frames one after another, counted before they are copied.
        const std::size_t frames = decoded.frames ? decoded.frames->Frames().size() : 1;
        const std::vector<std::uint8_t>& rgba = decoded.truecolour->Rgba();
        if (pixelBytes_ + frames * rgba.size() > kMaxPixelBytes) TooMany();
        image.pixels.assign(rgba.begin(), rgba.end());
        for (std::size_t f = 1; f < frames; ++f) {
            const std::vector<std::uint8_t>& more = decoded.frames->Frames()[f].Rgba();
            image.pixels.append(more.begin(), more.end());
        }
        if (frames > 1) {
            image.delays = decoded.frames->Delays();
            image.plays = decoded.frames->Plays();
        }
    } else {
        image.width = decoded.image.Width();
        image.height = decoded.image.Height();
        image.kind =
            decoded.nibbles ? DollPage::Image::Kind::Nibbles : DollPage::Image::Kind::Indexed;
        const auto [palette, first] =
            paletteOf_.try_emplace(cel.paletteIndex, static_cast<int>(page_.palettes.size()));
        if (first) page_.palettes.push_back(ColoursOf(decoded.image));
        image.palette = palette->second;
        image.pixels = PixelsOf(decoded.image);
    }
    pixelBytes_ += image.pixels.size();
    if (pixelBytes_ > kMaxPixelBytes) TooMany();
    page_.images.push_back(std::move(image));
    return found->second;
}

void PageModel::AddSet(int number, const DollState& start)
{
    DollPage::Set shown;
    shown.number = number;
    shown.defined = number < configuration_.setCount;
    const KissSet none,
        &placed = number < configuration_.setCount ? configuration_.sets[number] : none;
    for (std::size_t object = 0; object < start.positions[number].size(); ++object) {
        shown.x.push_back(start.positions[number][object].x);
        shown.y.push_back(start.positions[number][object].y);
        shown.homeX.push_back(placed.At(object).x);
        shown.homeY.push_back(placed.At(object).y);
    }
    for (int j = 0; j < configuration_.celCount; ++j) {
        const TKissCel& cel = configuration_.cels[j];
        if (!cel.inSet[number]) continue;
        const KissPosition& at = start.positions[number].at(ObjectOf(cel, configuration_));
        if (at.x == -1 && at.y == -1) continue;
        shown.cels.push_back({Image(cel), cel.objectNumber, j});
    }
    if (number == start.set) page_.startSet = static_cast<int>(page_.sets.size());
    page_.sets.push_back(std::move(shown));
}

const DollPage& PageModel::Finish(const std::string& title, const DollStart& start,
                                  std::vector<std::pair<std::string, std::string>> readmes,
                                  std::vector<DollSound> sounds)
{
    page_.readmes = std::move(readmes);
    page_.sounds = std::move(sounds);
    page_.title = title;
    page_.width = configuration_.playWidth;
    page_.height = configuration_.playHeight;
    page_.start = start.state;
    page_.program = start.program;
    return page_;
}

DollPage PageOf(const RunDoll& doll)
{
    const KissConfiguration& c = doll.configuration;
    PageModel page(c, [&](const TKissCel& cel) -> PageModel::Decoded {
        const CelDecoder::Decoded decoded = doll.cels.Decode(cel, 0);
        return {decoded.image, decoded.truecolour, decoded.nibbles,
                decoded.x,     decoded.y,          decoded.frames};
    });
    for (const int number : doll.sets) {
        page.AddSet(number, doll.start.state);
        doll.setAdded(number);
    }
    const std::size_t groups = doll.sets.empty() ? 0 : doll.start.state.paletteGroup.size();
    for (std::size_t group = 0; group < groups; ++group) {
        const int g = static_cast<int>(group);
        page.AddGroupColours(doll.firstPalette.Colour(g, 0),
                             doll.firstPalette.Colour(g, c.borderColour));
    }
    std::vector<std::string> notes; // the sounds the page cannot play, and why
    std::vector<DollSound> sounds = DollSounds(doll.files, SoundFiles(doll.start.program), notes);
    for (const std::string& note : notes)
        doll.controls.Notice(note);
    notes.clear();
    std::vector<std::pair<std::string, std::string>> readmes;
    if (doll.texts) readmes = DollReadmes(doll.files, notes);
    for (const std::string& note : notes)
        doll.controls.Notice(note);
    std::vector<std::string> names;
    for (const auto& [name, text] : readmes)
        names.push_back(name);
    if (!names.empty()) doll.controls.PageTexts(names);
    return page.Finish(BaseName(StripExtension(doll.files.ConfigurationPath())), doll.start,
                       std::move(readmes), std::move(sounds));
}
