#pragma once

#include "Bmp256Image.h"

#include <cstdint>
#include <vector>

class MemoryStream;

// A picture of a scene as a viewer shows it at the start: a play area filled with one colour and
// images drawn on it, each in front of those drawn after it, colour 0 transparent, clipped to
// the area. Images are drawn in front-to-back order, so each fills only what is still bare.
class SetPicture {
public:
    SetPicture(std::int32_t width, std::int32_t height, TBmp256Image::Colour background);

    // Draws the image's pixels other than colour 0 with its top-left corner at (x, y), in its
    // own colours, wherever no image drawn before has drawn.
    void DrawBehind(const TBmp256Image& image, std::int32_t x, std::int32_t y);
    // The picture as a truecolour PNG file (libspng); replaces the stream's content.
    void EncodePng(MemoryStream& png) const;
    // The picture made smaller by a whole factor to fit in width x height, each pixel the mean
    // of the block it stands for (a part block at an edge: of what it holds); the same size when
    // it fits already.
    SetPicture FittedInto(std::int32_t width, std::int32_t height) const;

private:
    std::int32_t width_, height_;
    std::vector<std::uint8_t> rgb_;   // red, green, blue, row by row from the top
    std::vector<std::uint8_t> drawn_; // 1 where an image has drawn
};

// Where the image is not colour 0, row by row from the top: each row's number of runs, then
// each run's first column and the column past its end.
std::vector<std::int32_t> OpaqueRuns(const TBmp256Image& image);

// Colour `index` of group `group` of a KiSS palette file loaded in a stream, as the colour table
// of an image decoded with it holds it; black past the table's 256 entries.
TBmp256Image::Colour PaletteColour(MemoryStream& palette, int group, int index);
