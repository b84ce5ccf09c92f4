#include "PageModel.h"

#include "RunOutput.h"
#include "TextNumbers.h"
#include "TextPaths.h"

#include "imaging/SetPicture.h"

#include <algorithm>

namespace {

// Objects 0 to the highest a cel names: the page holds a position and a fix for each.
std::size_t ObjectsUsed(const KissConfiguration& c)
{
    std::int32_t highest = -1;
    for (int j = 0; j < c.celCount; ++j)
        if (c.cels[j].objectNumber < c.MaxObjects())
            highest = std::max(highest, c.cels[j].objectNumber);
    return static_cast<std::size_t>(highest + 1);
}

} // namespace

std::string ImageNameOf(const TKissCel& cel)
{
    return NameLowerCase(StripExtension(cel.fileName));
}

PageModel::PageModel(const KissConfiguration& configuration, const RunOutput& output,
                     WritePicture write)
    : configuration_(configuration), output_(output), write_(std::move(write))
{
}

void PageModel::AddPicture(const TKissCel& cel, int group, const Written& written)
{
    pictureOf_[{ImageNameOf(cel), cel.paletteIndex, group}] =
        static_cast<int>(page_.pictures.size());
    page_.pictures.push_back({written.fileName, OpaqueRuns(written.image)});
}

int PageModel::Picture(const TKissCel& cel, int group)
{
    const std::string imageName = ImageNameOf(cel);
    if (const auto found = pictureOf_.find({imageName, cel.paletteIndex, group});
        found != pictureOf_.end())
        return found->second;
    const std::string grouped = imageName + ".g" + IntToText(group);
    std::string name = grouped;
    for (int n = 2; output_.HasWritten(output_.ImageFileName(name)); ++n)
        name = grouped + "." + IntToText(n);
    AddPicture(cel, group, write_(cel, group, name));
    return pictureOf_[{imageName, cel.paletteIndex, group}];
}

void PageModel::AddSet(int number, const KissSet& set, TBmp256Image::Colour background,
                       TBmp256Image::Colour border, bool start)
{
    DollPage::Set shown;
    shown.number = number;
    shown.background = background;
    shown.border = border;
    shown.x.resize(ObjectsUsed(configuration_));
    shown.y.resize(shown.x.size());
    for (std::size_t object = 0; object < shown.x.size(); ++object) {
        shown.x[object] = set.At(object).x;
        shown.y[object] = set.At(object).y;
    }
    for (int j = 0; j < configuration_.celCount; ++j) {
        const TKissCel& cel = configuration_.cels[j];
        if (!cel.inSet[number]) continue;
        const KissPosition at = set.At(ObjectOf(cel, configuration_));
        if (at.x == -1 && at.y == -1) continue;
        shown.cels.push_back({Picture(cel, set.paletteGroup), cel.objectNumber});
    }
    if (start) page_.startSet = static_cast<int>(page_.sets.size());
    page_.sets.push_back(std::move(shown));
}

const DollPage& PageModel::Finish(const std::string& title)
{
    page_.title = title;
    page_.width = configuration_.playWidth;
    page_.height = configuration_.playHeight;
    page_.fix.assign(ObjectsUsed(configuration_), 0);
    for (int j = 0; j < configuration_.celCount; ++j) {
        const TKissCel& cel = configuration_.cels[j];
        if (cel.objectNumber >= 0 && cel.objectNumber < configuration_.MaxObjects())
            page_.fix[cel.objectNumber] = std::max(page_.fix[cel.objectNumber], cel.fixValue);
    }
    return page_;
}
