#pragma once

#include "DollPage.h"
#include "KissConfiguration.h"
#include "StartState.h"

#include <functional>
#include <map>
#include <string>
#include <tuple>

class RgbaImage;
class RunOutput;

// The doll as its page shows it, gathered while the run writes the pictures: each set the page
// shows, with a picture of every cel it places in the set's palette group. A cel already written
// in that group is shown through the same picture; any other is written under a name that adds
// the group (body.g2), kept apart from every name the run has written.
class PageModel {
public:
    // Decodes a cel in a palette group and writes it under an image name (lowered, no
    // extension); gives the image and its file name in the output folder.
    struct Written {
        const TBmp256Image& image;
        std::string fileName;
        const RgbaImage* truecolour = nullptr; // a 32-bit cel's picture, shown for it
    };
    using WritePicture = std::function<Written(const TKissCel&, int group, const std::string&)>;

    PageModel(const KissConfiguration& configuration, const RunOutput& output, WritePicture write);

    // A picture the run has written for the chosen set, under its report name.
    void AddPicture(const TKissCel& cel, int group, const Written& written);
    // Adds a set the page shows, as the start state places it, with its play area's colours.
    void AddSet(int number, const DollState& start, TBmp256Image::Colour background,
                TBmp256Image::Colour border);
    // The page's model, titled, opening on the start's set with its state and its program, with
    // the author's texts (DollReadmes).
    const DollPage& Finish(const std::string& title, const DollStart& start,
                           std::vector<std::pair<std::string, std::string>> readmes);

private:
    using Key = std::tuple<std::string, int, int>; // image name, palette, group
    int Picture(const TKissCel& cel, int group);

    const KissConfiguration& configuration_;
    const RunOutput& output_;
    WritePicture write_;
    std::map<Key, int> pictureOf_; // each picture written so far
    DollPage page_;
};

// A cel's image name: its file name lowered, without the extension.
std::string ImageNameOf(const TKissCel& cel);
