#pragma once

#include "DollPage.h"
#include "conversion/KissConfiguration.h"
#include "conversion/StartState.h"

#include <functional>
#include <map>
#include <string>
#include <utility>

class RgbaFrames;
class RgbaImage;
struct RunDoll;

// The doll as its page shows it: each set the page shows, with the pixels of every cel it places
// and of the palettes they use, each cel decoded once whatever the sets it is in.
class PageModel {
public:
    // A cel decoded in palette group 0: its image, its picture with alpha for a 32-bit cel or an
    // image file (none, for a cel left out), whether its pixels are a 4-bit cel's, which a
    // palette group moves, where the picture stands from its object's place, and an image file's
    // frames.
    struct Decoded {
        const TBmp256Image& image;
        const RgbaImage* truecolour = nullptr;
        bool nibbles = false;
        std::int32_t x = 0, y = 0; // where it stands from its object's place
        const RgbaFrames* frames = nullptr;
    };
    using Decode = std::function<Decoded(const TKissCel&)>;

    PageModel(const KissConfiguration& configuration, Decode decode);

    // Adds a set the page shows, as the start state places it.
    void AddSet(int number, const DollState& start);
    // Adds the next palette group's colours of the play area and of its border.
    void AddGroupColours(TBmp256Image::Colour background, TBmp256Image::Colour border)
    {
        page_.groupColours.emplace_back(background, border);
    }
    // The page's model, titled, opening on the start's set with its state and its program, with
    // the author's texts (DollReadmes) and the sounds the program plays.
    const DollPage& Finish(const std::string& title, const DollStart& start,
                           std::vector<std::pair<std::string, std::string>> readmes,
                           std::vector<DollSound> sounds);

private:
    int Image(const TKissCel& cel);

    const KissConfiguration& configuration_;
    Decode decode_;
    std::map<std::pair<std::string, int>, int> imageOf_; // by file name lowered and palette
    std::map<int, int> paletteOf_;                       // the page's palette of a palette line
    std::size_t pixelBytes_ = 0;
    DollPage page_;
};

// The page's model of the doll a run has read: each set it shows, the colours of each palette
// group, the sounds its program plays (a notice for each it cannot) and the author's texts.
DollPage PageOf(const RunDoll& doll);
