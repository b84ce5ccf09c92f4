#pragma once

#include "KissConfiguration.h"

#include "imaging/Bmp256Image.h"
#include "imaging/MemoryStream.h"
#include "imaging/RgbaImage.h"

#include <string>
#include <vector>

class DollFiles;
class RunOutput;

// The palette file a cel line names by its index; "" without a "%" line of that number.
std::string PaletteNameOf(const KissConfiguration& configuration, const TKissCel& cel);

// The doll's cels decoded one at a time, each in a palette group, into the one image they share.
// As viewers read a doll, 12-bit colours are scaled as they show them, and a 32-bit cel is also
// decoded with its alpha and needs no palette line; as designed it is an image of colour 0.
class CelDecoder {
public:
    struct Decoded {
        const TBmp256Image& image;
        const RgbaImage* truecolour; // the 32-bit cel's picture, as viewers read a doll
        bool nibbles;                // a 4-bit cel's pixels, which a palette group moves
    };

    CelDecoder(DollFiles& doll, const KissConfiguration& configuration, const RunOutput& output)
        : doll_(doll), configuration_(configuration), output_(output)
    {
    }
    // Fails for a cel whose name leaves the output folder, which cannot be read, or which is an
    // image file of another kind.
    Decoded Decode(const TKissCel& cel, int group);
    // The 32-bit cels decoded so far, each once, in the order met.
    const std::vector<std::string>& TruecolourCels() const { return truecolourCels_; }

private:
    DollFiles& doll_;
    const KissConfiguration& configuration_;
    const RunOutput& output_;
    MemoryStream cel_, palette_;
    TBmp256Image image_;
    RgbaImage truecolour_;
    std::vector<std::string> truecolourCels_;
};

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
