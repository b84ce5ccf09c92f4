#include "PageModel.h"

#include "RunOutput.h"
#include "TextNumbers.h"
#include "TextPaths.h"

#include "imaging/RgbaImage.h"
#include "imaging/SetPicture.h"

#include <algorithm>

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
    page_.pictures.push_back({written.fileName, written.truecolour ? OpaqueRuns(*written.truecolour)
                                                                   : OpaqueRuns(written.image)});
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

void PageModel::AddSet(int number, const DollState& start, TBmp256Image::Colour background,
                       TBmp256Image::Colour border)
{
    DollPage::Set shown;
    shown.number = number;
    shown.background = background;
    shown.border = border;
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
        shown.cels.push_back({Picture(cel, start.paletteGroup[number]), cel.objectNumber, j});
    }
    if (number == start.set) page_.startSet = static_cast<int>(page_.sets.size());
    page_.sets.push_back(std::move(shown));
}

const DollPage& PageModel::Finish(const std::string& title, const DollStart& start,
                                  std::vector<std::pair<std::string, std::string>> readmes)
{
    page_.readmes = std::move(readmes);
    page_.title = title;
    page_.width = configuration_.playWidth;
    page_.height = configuration_.playHeight;
    page_.start = start.state;
    page_.program = start.program;
    return page_;
}
