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
    for (const KissPosition& at : start.positions[number]) {
        shown.x.push_back(at.x);
        shown.y.push_back(at.y);
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

const DollPage& PageModel::Finish(const std::string& title, const DollState& start)
{
    page_.title = title;
    page_.width = configuration_.playWidth;
    page_.height = configuration_.playHeight;
    page_.fix = start.fix;
    for (const DollState::Cel& cel : start.cels) {
        page_.mapped.push_back(cel.mapped ? 1 : 0);
        page_.transparency.push_back(cel.transparency);
    }
    return page_;
}
