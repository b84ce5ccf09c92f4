#pragma once

#include "KissConfiguration.h"

#include "imaging/Bmp256Image.h"
#include "imaging/MemoryStream.h"
#include "imaging/RgbaFrames.h"
#include "imaging/RgbaImage.h"
#include "platform/Exception.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

class DollFiles;
class RunOutput;

// The palette file a cel line names by its index; "" without a "%" line of that number.
std::string PaletteNameOf(const KissConfiguration& configuration, const TKissCel& cel);

// The doll's cels decoded one at a time, each in a palette group, into the one image they share.
// As viewers read a doll, 12-bit colours are scaled as they show them, a 32-bit cel is also
// decoded with its alpha and needs no palette line; as designed it is an image of colour 0. As
// viewers read a doll, a cel that is a GIF, JPEG or PNG file is decoded as such (its image all
// colour 0, no palette read); as designed it is refused.
class CelDecoder {
public:
    struct Decoded {
        const TBmp256Image& image;
        const RgbaImage* truecolour; // the picture with alpha, as viewers read a doll
        bool nibbles;                // a 4-bit cel's pixels, which a palette group moves
        // As viewers read a doll: where the picture stands from its object's place (a headed
        // cel's negative offsets), and whether the cel is left out, a picture of no pixels,
        // because the doll has no file of its name.
        std::int32_t x = 0, y = 0;
        bool leftOut = false;
        // An image file's frames, the first of them truecolour's picture, as viewers read a doll.
        const RgbaFrames* frames = nullptr;
    };

    CelDecoder(DollFiles& doll, const KissConfiguration& configuration, const RunOutput& output)
        : doll_(doll), configuration_(configuration), output_(output)
    {
    }
    // Fails for a cel whose name leaves the output folder, which cannot be read, or whose image
    // file cannot be decoded. As designed, it fails for an image file of any kind, for a cel the
    // doll lacks, and for one whose picture is too large only because its offsets, read as viewers
    // read them, are negative.
    Decoded Decode(const TKissCel& cel, int group);
    // The 32-bit cels decoded so far, each once, in the order met; the same of image files.
    const std::vector<std::string>& TruecolourCels() const { return truecolourCels_; }
    const std::vector<std::string>& ImageFileCels() const { return imageFileCels_; }
    // The cels left out so far, each once, in the order met: FKiSS 5 components, and cel files
    // the doll lacks.
    const std::vector<std::string>& Components() const { return components_; }
    const std::vector<std::string>& MissingCels() const { return missingCels_; }

    // As viewers read a doll, whether the cel is left out: a name that stays in its folder and
    // names no file of the doll, noted once as a component or a missing cel.
    bool LeftOut(const TKissCel& cel);

private:
    DollFiles& doll_;
    const KissConfiguration& configuration_;
    const RunOutput& output_;
    MemoryStream cel_, palette_;
    TBmp256Image image_;
    RgbaImage truecolour_;
    std::vector<std::string> truecolourCels_, imageFileCels_, components_, missingCels_;
    std::map<std::string, bool> leftOut_; // by name, once looked up
    // As viewers read a doll, the cel decoded last (name, palette line, group) is not read again
    // when it is asked for next: a doll of thousands of lines naming one cel.
    std::tuple<std::string, int, int> lastKey_;
    std::optional<Decoded> last_;
    RgbaFrames frames_;
};

class ENegativeOffsets : public Exception {
public:
    ENegativeOffsets(const std::string& name, const std::string& offsets)
        : Exception(
              FormatMessage("ｾﾙ %s のｵﾌｾｯﾄ " + offsets + " は負のためBMPﾌｧｲﾙにできません", name),
              "'" + name + "' has negative offsets " + offsets +
                  ", which a BMP file cannot hold (--format png draws it)")
    {
    }
};
// As designed, fails for a cel loaded in the stream whose picture would be too large: saying so
// when only its offsets, negative as viewers read them, make it so.
void RequireDesignedPicture(const std::string& name, MemoryStream& cel);

// The colours of the play area and its border come from the first palette, read once when first
// asked for; black without a palette line.
class FirstPalette {
public:
    FirstPalette(DollFiles& doll, const KissConfiguration& configuration)
        : doll_(doll), configuration_(configuration)
    {
    }
    TBmp256Image::Colour Colour(int group, int index);

private:
    DollFiles& doll_;
    const KissConfiguration& configuration_;
    MemoryStream palette_;
    bool read_ = false;
};
